// A heart and a whale described from the input (beat tables, keyframes, "stopAtArrive", transforms),
// made through the behavior and physics factories (the whale's keyframes parsed after its object, as
// the level's tag does) and stepped 300 times with step times in [0, 0.032].
// Whatever the input: no sanitizer report and every transform stays finite. Assertions are the
// engine's answer to data it cannot use (a whale with fewer than four keyframes): such an input is done.
#include "Behavior/BehaviorFactory/BehaviorFactory.h"
#include "Behavior/BehaviorSystem.h"
#include "Behavior/Heart/Heart.h"
#include "Behavior/Whale/Whale.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "FuzzSupport.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Physics/PhysicsFactory/PhysicsFactory.h"
#include "Physics/PhysicsSystem.h"
#include "Platform/MessageBox.h"
#include "Sound/AudioSystem.h"
#include "Support/TempDirectory.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"

#include <array>
#include <cmath>
#include <cstring>
#include <string>

using namespace Morvane;

namespace
{
class Input
{
public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    // A number in [-327.68, 327.67] with two decimals.
    float Number()
    {
        const std::uint16_t raw = static_cast<std::uint16_t>(Byte() | (Byte() << 8));
        std::int16_t value;
        std::memcpy(&value, &raw, sizeof(value));
        return static_cast<float>(value) / 100.0f;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

// Texts the readers must refuse or read as plain numbers.
const std::array<const char*, 8> kOddTexts = {"nan", "inf", "-1", "1e-40", "", "x", "1e39", "0"};
const std::array<const char*, 5> kChambers = {"TopLeft", "TopRight", "BottomLeft", "BottomRight", "Other"};

std::string NumberText(Input& input)
{
    const std::uint8_t choice = input.Byte();
    if (choice < 24)
    {
        return kOddTexts[choice % kOddTexts.size()];
    }
    return Format("%.9g", static_cast<double>(input.Number()));
}

std::string ListText(Input& input, int count)
{
    std::string text;
    for (int index = 0; index < count; ++index)
    {
        text += (index > 0 ? ";" : "") + NumberText(input);
    }
    return text;
}

std::string VectorText(Input& input)
{
    // Every draw in its own statement: the order of a call's arguments is the compiler's choice.
    const float x = input.Number();
    const float y = input.Number();
    const float z = input.Number();
    return Format("%.9g;%.9g;%.9g", static_cast<double>(x), static_cast<double>(y), static_cast<double>(z));
}

// The transforms are the level's, not the creatures': finite, the creatures' own data is what is fuzzed.
std::string TransformText(Input& input)
{
    const std::string position = VectorText(input);
    const std::string scale = VectorText(input);
    return "<Transform position=\"" + position + "\" scale=\"" + scale + "\"/>";
}

std::string HeartText(Input& input)
{
    const std::string transform = TransformText(input);
    std::string chambers;
    for (int chamber = input.Byte() % 6; chamber > 0; --chamber)
    {
        const int durations = input.Byte() % 6;
        // Mostly the right count of states, sometimes not.
        const int states = input.Byte() < 200 ? 3 * (durations + 1) : input.Byte() % 20;
        const char* const name = kChambers[input.Byte() % kChambers.size()];
        const std::string durationText = ListText(input, durations);
        const std::string stateText = ListText(input, states);
        chambers +=
            Format("<%s durations=\"%s\" states=\"%s\"/>", name, durationText.c_str(), stateText.c_str());
    }
    return "<Object name=\"Heart\">" + transform + "<Behavior type=\"BehaviorComponent_Heart\">" + chambers +
           "</Behavior></Object>";
}

// The whale as a level makes it: its object first, then the tag's element (the keyframes) parsed.
std::string WhaleText(Input& input)
{
    const std::string transform = TransformText(input);
    return "<Object name=\"Whale\">" + transform +
           R"(<Physics category="Kinematic" mass="0" restitution="0" shape="AABB" size="1;1;1" collidable="false"/>)"
           R"(<Behavior type="BehaviorComponent_Whale"/></Object>)";
}

std::string WhaleTagText(Input& input)
{
    std::string keyframes;
    for (int keyframe = input.Byte() % 10; keyframe > 0; --keyframe)
    {
        // Repeats now and then, the readers must drop them.
        keyframes += input.Byte() < 32 ? "<Keyframe pos=\"1;2;3\"/>"
                                       : "<Keyframe pos=\"" + ListText(input, 3) + "\"/>";
    }
    const char* const stopAtArrive = input.Byte() & 1 ? "true" : "false";
    return Format("<Whale stopAtArrive=\"%s\">", stopAtArrive) + keyframes + "</Whale>";
}

bool IsFinite(const Game::TransformComponent& transform)
{
    const glm::vec3& p = transform.GetPosition();
    const glm::vec3& s = transform.GetScale();
    const glm::quat& q = transform.GetRotation();
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && std::isfinite(s.x) &&
           std::isfinite(s.y) && std::isfinite(s.z) && std::isfinite(q.w) && std::isfinite(q.x) &&
           std::isfinite(q.y) && std::isfinite(q.z);
}

Game::Object* Create(const std::string& description)
{
    XMLParserData element;
    Fuzzing::Require(element.FromString(description), "the description is XML");
    return Game::System::GetInstance().CreateObject(static_cast<const IParserData*>(&element));
}

Testing::TempDirectory* g_archetypes = nullptr;

void Run(Input& input)
{
    Game::System& game = Game::System::GetInstance();
    XMLParserData settings;
    Fuzzing::Require(settings.FromString("<GameSystem><Objects archetypesFolder=\"" + g_archetypes->Path() +
                                         "\"/></GameSystem>"),
                     "the game's settings are XML");
    Fuzzing::Require(game.Parse(&settings), "the archetypes folder is set");
    // Created now, initialised (chambers and tail made) by the update.
    Game::Object* heartObject = Create(HeartText(input));
    Game::Object* whaleObject = Create(WhaleText(input));
    auto* whale = whaleObject != nullptr ? whaleObject->GetComponent<Whale>() : nullptr;
    XMLParserData tag;
    Fuzzing::Require(tag.FromString(WhaleTagText(input)), "the whale's tag is XML");
    if (whale != nullptr)
    {
        whale->Parse(&tag);
    }
    game.Update(0.0f);
    auto* heart = heartObject != nullptr ? heartObject->GetComponent<Heart>() : nullptr;
    for (int step = 0; step < 300; ++step)
    {
        const float dt = static_cast<float>(input.Byte()) / 255.0f * 0.032f;
        if (heart != nullptr)
        {
            heart->Update(dt);
        }
        if (whale != nullptr)
        {
            whale->Update(dt);
        }
        Physics::System::GetInstance().Update(dt);
        for (const Game::Object* object : game.GetObjectsInCreationOrder())
        {
            const auto* transform = object->GetComponent<Game::TransformComponent>();
            Fuzzing::Require(transform == nullptr || IsFinite(*transform), "transforms stay finite");
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzzing::SilenceLog();
    // Every assertion would print its box on stderr, which is the fuzzer's report.
    Platform::SetMessageBoxHandler([](const std::string&, const std::string&) {});
    Behavior::System::GetInstance().m_customComponentFactory = &CreateCustomBehaviorComponent;
    Physics::System::GetInstance().m_customComponentFactory = &CreateCustomPhysicsComponent;
    Physics::System::GetInstance().Initialize();
    // Made, never started: without an output the heartbeat is skipped with an error.
    Audio::System::GetInstance();
    static Testing::TempDirectory archetypes;
    archetypes.Write("Ventricle.xml", "<Object><Transform/></Object>");
    archetypes.Write("WhaleSegment.xml", "<Object><Transform/></Object>");
    g_archetypes = &archetypes;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input input(data, size);
    try
    {
        Run(input);
    }
    catch (const AssertionFailure&)
    {
    }
    Game::System::GetInstance().Release();
    Behavior::System::GetInstance().Release();
    Physics::System::GetInstance().Release();
    return 0;
}
