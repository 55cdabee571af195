#include "Behavior/Heart/Heart.h"

#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Parsing/IParserData.h"
#include "Sound/AudioSystem.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/StringUtilities/StringUtilities.h"

#include <algorithm>
#include <cstdlib>
#include <glm/gtc/quaternion.hpp>

using namespace Morvane;

namespace
{
struct ChamberData
{
    const char* element;
    // Where the chamber sits, in the heart's own frame (its unit sphere).
    glm::vec3 offset;
};

const std::array<ChamberData, Heart::kChamberCount> kChamberData = {{
    {"TopLeft", {-0.3f, 0.28f, 0.12f}},
    {"TopRight", {0.3f, 0.28f, 0.12f}},
    {"BottomLeft", {-0.22f, -0.22f, 0.15f}},
    {"BottomRight", {0.22f, -0.22f, 0.15f}},
}};

// "a;b;c" as numbers; a piece that is no number reads as 0, which no duration may be.
std::vector<float> ReadNumbers(const std::string& text)
{
    std::vector<float> numbers;
    if (StringUtilities::TrimSpaces(text).empty())
    {
        return numbers;
    }
    for (const std::string& piece : StringUtilities::Split(text, ';'))
    {
        numbers.push_back(std::strtof(piece.c_str(), nullptr));
    }
    return numbers;
}

std::vector<glm::vec3> ToStates(const std::vector<float>& numbers)
{
    std::vector<glm::vec3> states;
    for (std::size_t at = 0; at + 3 <= numbers.size(); at += 3)
    {
        states.emplace_back(numbers[at], numbers[at + 1], numbers[at + 2]);
    }
    return states;
}

// What is wrong with a chamber's table, or empty.
std::string Problem(const std::vector<float>& durations, const std::vector<float>& numbers)
{
    if (numbers.size() % 3 != 0)
    {
        return Format("%zu numbers do not make whole states", numbers.size());
    }
    return BeatCycle::Check(durations, ToStates(numbers));
}
} // namespace

Heart::Heart(Game::Object* owner)
    : Component(owner), m_beats{BeatCycle::LubDub(), BeatCycle::LubDub(), BeatCycle::LubDub(),
                                BeatCycle::LubDub()}
{
}

std::array<const Heart::Handle*, Heart::kChamberCount> Heart::Chambers() const
{
    return {&m_ventricleTopLeft, &m_ventricleTopRight, &m_ventricleBottomLeft, &m_ventricleBottomRight};
}

std::array<Heart::Handle*, Heart::kChamberCount> Heart::Chambers()
{
    return {&m_ventricleTopLeft, &m_ventricleTopRight, &m_ventricleBottomLeft, &m_ventricleBottomRight};
}

bool Heart::Parse(const IParserData* data)
{
    const std::string channel = Format("%s/Heart", GetOwnerName().c_str());
    for (const IParserData* child = data->GetFirstChild(); child != nullptr; child = child->GetNextSibling())
    {
        const std::string name = child->GetName();
        const auto found =
            std::find_if(kChamberData.begin(), kChamberData.end(),
                         [&name](const ChamberData& chamber) { return name == chamber.element; });
        if (found == kChamberData.end())
        {
            if (name != "Common")
            {
                Log::Warning(channel, Format("Unknown parser element '%s'", name.c_str()));
            }
            continue;
        }
        const std::vector<float> durations = ReadNumbers(child->GetAttribute("durations", ""));
        const std::vector<float> numbers = ReadNumbers(child->GetAttribute("states", ""));
        const std::string problem = Problem(durations, numbers);
        BeatCycle& beat = m_beats[static_cast<std::size_t>(found - kChamberData.begin())];
        if (problem.empty())
        {
            beat = BeatCycle(durations, ToStates(numbers));
            continue;
        }
        Log::Error(channel, Format("The beat of '%s' cannot be used (%s): it takes the default beat",
                                   name.c_str(), problem.c_str()));
        beat = BeatCycle::LubDub();
    }
    return true;
}

bool Heart::Save(IParserData* data)
{
    data->AddChild("Behavior")->SetAttribute("type", "BehaviorComponent_Heart");
    return true;
}

bool Heart::Initialize()
{
    m_transform = GetParentObject()->GetComponent<Game::TransformComponent>();
    MORVANE_ASSERT_NAMED(m_transform != nullptr, "myTransform", __LINE__);
    if (m_transform == nullptr)
    {
        return false;
    }
    Game::System& game = Game::System::GetInstance();
    const glm::mat4& frame = m_transform->GetWorldMatrix();
    const std::array<Handle*, kChamberCount> chambers = Chambers();
    for (std::size_t chamber = 0; chamber < kChamberCount; ++chamber)
    {
        Game::Object* object = game.CreateObjectFromArchetype("Ventricle", "Ventricle.xml");
        MORVANE_ASSERT_NAMED(object != nullptr, "ventricle", __LINE__);
        auto* transform = object != nullptr ? object->GetComponent<Game::TransformComponent>() : nullptr;
        MORVANE_ASSERT_NAMED(transform != nullptr, "transform", __LINE__);
        transform->SetPosition(glm::vec3(frame * glm::vec4(kChamberData[chamber].offset, 1.0f)));
        transform->SetRotation(m_transform->GetRotation());
        transform->SetScale(m_transform->GetScale() * m_beats[chamber].GetScale());
        chambers[chamber]->Reset(transform);
    }
    return true;
}

void Heart::Update(const float& dt)
{
    MORVANE_ASSERT_NAMED(m_transform != nullptr, "myTransform", __LINE__);
    bool beat = false;
    const std::array<Handle*, kChamberCount> chambers = Chambers();
    for (std::size_t chamber = 0; chamber < kChamberCount; ++chamber)
    {
        // The top left chamber leads: chambers whose cycles differ by a rounding, or by design, would
        // otherwise sound the beat more than once a cycle.
        const bool started = m_beats[chamber].Advance(dt);
        beat = beat || (chamber == kTopLeft && started);
        // A chamber the editor deleted stays gone; the others beat on.
        if (Game::TransformComponent* transform = chambers[chamber]->Get())
        {
            transform->SetScale(m_transform->GetScale() * m_beats[chamber].GetScale());
        }
    }
    if (beat)
    {
        PlayBeat(m_transform->GetPosition());
    }
}

void Heart::Release()
{
    Game::System& game = Game::System::GetInstance();
    for (Handle* chamber : Chambers())
    {
        // By name: at a level change the game system may destroy the chambers first.
        if (chamber->IsSet())
        {
            game.MarkForDeletion(game.GetObject(chamber->GetObjectName()));
        }
        chamber->Reset();
    }
}

void Heart::PlayBeat(const glm::vec3& position)
{
    // The audio system logs a sound it cannot play; the heart beats on in silence.
    Audio::System::GetInstance().PlaySound3D(kBeatSound, position, kBeatNearDistance, kBeatFarDistance);
}
