// The five particle behaviors on particle arrays (no GL: the graphics are never drawn), their behavior
// elements, ends, waypoints and the player's place and speed from the input: zero, coincident, huge.
// 300 steps of [0, 0.032] s. Whatever the input: no sanitizer report and every particle position,
// scale and colour stays finite.
#include "Behavior/BehaviorFactory/BehaviorFactory.h"
#include "Behavior/BehaviorSystem.h"
#include "Behavior/ParticleSystem/ParticleSystem_AppearingFloor.h"
#include "Behavior/ParticleSystem/ParticleSystem_ButtonToDoor.h"
#include "Behavior/ParticleSystem/ParticleSystem_Cord.h"
#include "Behavior/ParticleSystem/ParticleSystem_Dust.h"
#include "Behavior/ParticleSystem/ParticleSystem_OtherAura.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "FuzzSupport.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/ParticleGraphics/ParticleGraphics.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Physics/PhysicsComponent.h"
#include "Physics/PhysicsFactory/PhysicsFactory.h"
#include "Physics/PhysicsSystem.h"
#include "Platform/MessageBox.h"
#include "Support/TempDirectory.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace Morvane;

namespace
{
class Input
{
public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    // A number in [-327.68, 327.67], now and then scaled to the huge.
    float Number()
    {
        const std::uint16_t raw = static_cast<std::uint16_t>(Byte() | (Byte() << 8));
        std::int16_t value;
        std::memcpy(&value, &raw, sizeof(value));
        const std::uint8_t scale = Byte();
        return static_cast<float>(value) / 100.0f * (scale < 16 ? 1e30f : scale < 48 ? 0.0f : 1.0f);
    }
    glm::vec3 Vector()
    {
        const float x = Number();
        const float y = Number();
        return {x, y, Number()};
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

const std::array<const char*, 8> kOddTexts = {"nan", "inf", "-1", "1e-40", "", "x", "1e39", "0"};
const std::array<const char*, 4> kCameras = {"Camera_World", "Nope", "", "Camera_World"};

std::string CountText(Input& input)
{
    const std::uint8_t choice = input.Byte();
    return choice < 64 ? kOddTexts[choice % kOddTexts.size()] : std::to_string(choice % 40);
}

bool IsFinite(const glm::vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

struct Effect
{
    Game::Object* object = nullptr;
    // Owned here: the graphics system is never started.
    std::unique_ptr<ParticleGraphics> particles;
};

Game::Object* Create(const std::string& description)
{
    XMLParserData element;
    Fuzzing::Require(element.FromString(description), "the description is XML");
    return Game::System::GetInstance().CreateObject(static_cast<const IParserData*>(&element));
}

Effect MakeEffect(Input& input, const std::string& name, const std::string& type,
                  const std::string& attributes)
{
    Effect effect;
    effect.object = Create("<Object name=\"" + name +
                           "\"><Transform/><Behavior type=\"BehaviorComponent_ParticleSystem_" + type +
                           "\" " + attributes + "/></Object>");
    // Now and then without particle graphics: the behavior must idle.
    if (effect.object != nullptr && input.Byte() >= 16)
    {
        effect.particles = std::make_unique<ParticleGraphics>(effect.object);
        effect.object->AddComponent(effect.particles.get());
    }
    return effect;
}

Testing::TempDirectory* g_archetypes = nullptr;

void Run(Input& input, std::vector<Effect>& effects)
{
    Game::System& game = Game::System::GetInstance();
    XMLParserData settings;
    Fuzzing::Require(settings.FromString("<GameSystem><Objects archetypesFolder=\"" + g_archetypes->Path() +
                                         "\"/></GameSystem>"),
                     "the game's settings are XML");
    Fuzzing::Require(game.Parse(&settings), "the archetypes folder is set");
    Game::Object* player = Create(R"(<Object name="Player"><Transform/></Object>)");
    XMLParserData body;
    Fuzzing::Require(body.FromString(R"(<Physics category="Dynamic" mass="1" shape="AABB" size="1;2;1"/>)"),
                     "the body is XML");
    auto* playerBody = Physics::System::GetInstance().CreateComponentInCode<Physics::Component>(player, body);
    Game::Object* companion = Create(R"(<Object name="Companion"><Transform/></Object>)");
    auto* playerTransform = player->GetComponent<Game::TransformComponent>();
    auto* companionTransform = companion->GetComponent<Game::TransformComponent>();

    const std::string camera = kCameras[input.Byte() % kCameras.size()];
    effects.push_back(MakeEffect(input, "Dust", "Dust", "referenceCamera=\"" + camera + "\""));
    effects.push_back(MakeEffect(input, "Cord", "Cord", ""));
    effects.push_back(MakeEffect(input, "Aura", "OtherAura", ""));
    effects.push_back(MakeEffect(input, "Sparks", "ButtonToDoor", ""));
    const std::string pieces = CountText(input);
    const std::string slots = CountText(input);
    effects.push_back(
        MakeEffect(input, "Floor", "AppearingFloor", "pieces=\"" + pieces + "\" slots=\"" + slots + "\""));
    if (auto* cord =
            effects[1].object != nullptr ? effects[1].object->GetComponent<ParticleSystem_Cord>() : nullptr;
        cord != nullptr && input.Byte() >= 32)
    {
        cord->SetEnds(companionTransform, playerTransform);
    }
    if (auto* aura = effects[2].object->GetComponent<ParticleSystem_OtherAura>(); aura != nullptr)
    {
        aura->SetCompanion(companionTransform);
    }
    if (auto* sparks = effects[3].object->GetComponent<ParticleSystem_ButtonToDoor>(); sparks != nullptr)
    {
        std::vector<glm::vec3> waypoints;
        for (int point = input.Byte() % 7; point > 0; --point)
        {
            waypoints.push_back(input.Byte() < 64 && !waypoints.empty() ? waypoints.back() : input.Vector());
        }
        sparks->SetPath(waypoints);
    }
    if (auto* floor = effects[4].object->GetComponent<ParticleSystem_AppearingFloor>(); floor != nullptr)
    {
        floor->SetPlayer(player);
    }
    game.Update(0.0f);
    std::vector<Behavior::Component*> behaviors;
    for (const Effect& effect : effects)
    {
        if (const Game::Object* object = game.GetObject(effect.object->GetName()))
        {
            behaviors.push_back(object->GetComponent<Behavior::Component>());
        }
    }
    for (int step = 0; step < 300; ++step)
    {
        const float dt = static_cast<float>(input.Byte()) / 255.0f * 0.032f;
        if (input.Byte() < 64)
        {
            playerTransform->SetPosition(input.Vector());
            playerBody->SetVelocity(input.Vector());
        }
        if (input.Byte() < 32)
        {
            companionTransform->SetPosition(input.Byte() < 128 ? playerTransform->GetPosition()
                                                               : input.Vector());
        }
        for (Behavior::Component* behavior : behaviors)
        {
            if (behavior != nullptr)
            {
                behavior->Update(dt);
            }
        }
        for (const Effect& effect : effects)
        {
            if (effect.particles == nullptr)
            {
                continue;
            }
            const ParticleGraphics& particles = *effect.particles;
            for (std::size_t at = 0; at < particles.Positions().size(); ++at)
            {
                const glm::vec4& colour = particles.Colours()[at];
                Fuzzing::Require(IsFinite(particles.Positions()[at]) && IsFinite(particles.Scales()[at]) &&
                                     IsFinite(glm::vec3(colour)) && std::isfinite(colour.a),
                                 "particles stay finite");
            }
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzzing::SilenceLog();
    Platform::SetMessageBoxHandler([](const std::string&, const std::string&) {});
    Behavior::System::GetInstance().m_customComponentFactory = &CreateCustomBehaviorComponent;
    Physics::System::GetInstance().m_customComponentFactory = &CreateCustomPhysicsComponent;
    Physics::System::GetInstance().Initialize();
    XMLParserData cameras;
    Fuzzing::Require(cameras.FromString(R"(<GraphicsSystem><Camera name="Camera_World" position="0;1;0"
        target="0;1;-1" width="160" height="100" fov="60" nearPlane="0.1" farPlane="100"/></GraphicsSystem>)"),
                     "the camera is XML");
    Graphics::System::GetInstance().Parse(&cameras);
    static Testing::TempDirectory archetypes;
    archetypes.Write("FloatingObject.xml",
                     "<Object><Transform/><Behavior type=\"BehaviorComponent_FloatingObject\"/></Object>");
    g_archetypes = &archetypes;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input input(data, size);
    std::vector<Effect> effects;
    try
    {
        Run(input, effects);
    }
    catch (const AssertionFailure&)
    {
    }
    // The graphics go before their objects: the game system must not hand them to a system that
    // never made them.
    for (Effect& effect : effects)
    {
        if (effect.particles != nullptr &&
            Game::System::GetInstance().GetObject(effect.object->GetName()) != nullptr)
        {
            effect.object->DetachComponent(effect.particles.get());
        }
    }
    effects.clear();
    Game::System::GetInstance().Release();
    Behavior::System::GetInstance().Release();
    Physics::System::GetInstance().Release();
    return 0;
}
