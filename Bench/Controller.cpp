// One frame of the player walking across the playground with W held: CharacterController::Update and
// the physics step, the player the only dynamic body among the level's boxes (read from the
// playground's own level file), against a bare glm loop of the same formulas over the same boxes:
// the view's and camera's smoothing, the push along the ground, semi-implicit Euler with gravity,
// speed limits and damping, and box overlap tests of the player's box with push-out. The ratio is
// what the objects, the grid, the contact records and the body's sweep add to the formulas;
// "frame_share" is the frame's part of a 60 Hz frame (16.67 ms). Both walk from the centre toward the
// open edge and are put back before they fall off it.
#include "Behavior/BehaviorSystem.h"
#include "Behavior/CharacterController/CharacterController.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "GameData.h"
#include "Graphics/GraphicsSystem.h"
#include "Input/InputSystem.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Physics/CharacterPhysics/CharacterPhysics.h"
#include "Physics/PhysicsSystem.h"
#include "Platform/SdlSubsystem.h"
#include "RatioReporter.h"
#include "RedirectedOutput.h"
#include "Resources/ResourceSystem.h"
#include "Shape/AABB.h"
#include "Sound/AudioSystem.h"
#include "Sound/Sound.h"
#include "System/Logging/Format.h"
#include "System/PathWrapper/PathWrapper.h"
#include "Window/WindowSystem.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <glm/geometric.hpp>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using namespace Morvane;

namespace
{
constexpr float kStep = 1.0f / 60.0f;
constexpr double kFrameSeconds = 1.0 / 60.0;
// Short of the open edge at x = 12, so that a walk never ends in a fall and a respawn.
constexpr float kTurnBackX = 9.0f;

using Clock = std::chrono::steady_clock;

// Frames on the ground and walks to the turning point, which show that both loops walk alike.
class Walks
{
public:
    void Count(bool putBack, bool grounded)
    {
        m_walks += putBack ? 1 : 0;
        m_grounded += grounded ? 1 : 0;
    }
    // `seconds`: the wall time of the timed loop, as a frame's budget is counted.
    void Report(benchmark::State& state, double seconds) const
    {
        const double frames = static_cast<double>(state.iterations());
        state.counters["frame_share"] = seconds / frames / kFrameSeconds;
        state.counters["grounded"] = static_cast<double>(m_grounded) / frames;
        state.counters["frames_per_walk"] = m_walks > 0 ? frames / static_cast<double>(m_walks) : 0.0;
    }

private:
    std::int64_t m_walks = 0;
    std::int64_t m_grounded = 0;
};

// What the game's start-up leaves behind for the player, made once per process: the data paths, the
// factories, the sound output and the player's sounds, the camera and render sets, the behavior set,
// the level file, and W held down on SDL's event queue as a player's key would be.
class Systems
{
public:
    static Systems& Get()
    {
        static Systems systems;
        return systems;
    }

    bool IsReady() const { return m_ready; }
    IParserData* GetLevelObjects() const { return m_levelObjects; }

private:
    Systems()
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        Benchmarks::UseGameDataFolders();
        Benchmarks::InstallGameFactories();
        m_ready = ParseSystems() && PrepareResources() && ReadLevel() && HoldForward();
    }
    ~Systems()
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        Game::System::GetInstance().Release();
        Behavior::System::GetInstance().Release();
        Physics::System::GetInstance().Release();
        Resources::System::GetInstance().Release();
        Graphics::System::GetInstance().Release();
        Audio::System::GetInstance().Release();
        Input::System::GetInstance().Release();
        Window::System::GetInstance().active = false;
    }
    Systems(const Systems&) = delete;
    Systems& operator=(const Systems&) = delete;

    static bool ParseSystems()
    {
        XMLParserData graphics;
        graphics.FromString(
            R"(<GraphicsSystem><Camera name="Camera_World" position="0;1.7;8" target="0;1.2;0" width="1280")"
            R"( height="800" fov="60" nearPlane="0.05" farPlane="200"/><Set name="World"/><Set name="Fade"/>)"
            R"(</GraphicsSystem>)");
        XMLParserData behaviors;
        behaviors.FromString(R"(<BehaviorSystem><BehaviorSet name="Main"/></BehaviorSystem>)");
        return Graphics::System::GetInstance().Parse(&graphics) &&
               Behavior::System::GetInstance().Parse(&behaviors) &&
               Physics::System::GetInstance().Initialize();
    }

    // The player's sounds, loaded now rather than in the first frames that play them.
    static bool PrepareResources()
    {
        Resources::System& resources = Resources::System::GetInstance();
        FileParser sounds;
        if (!Audio::System::GetInstance().Initialize() ||
            !resources.Parse(
                sounds.Parse(PathWrapper::GetInstance().Expand("$(LocalFolder)Resources/Sounds.xml"))))
        {
            return false;
        }
        std::vector<std::string> names = {"Sound_Fall", "Sound_Jump_01", "Sound_Respawn"};
        for (int walk = 1; walk <= 20; ++walk)
        {
            names.push_back(Format("Sound_Walk_%02d", walk));
        }
        for (const std::string& name : names)
        {
            if (resources.GetResource<Audio::Sound>(name) == nullptr)
            {
                return false;
            }
        }
        return Benchmarks::AddRendererStandIns();
    }

    // Only the level's own objects: the lights and effects its "path" adds want a GL context.
    bool ReadLevel()
    {
        FileParser parser;
        IParserData* root =
            parser.Parse(PathWrapper::GetInstance().Expand("$(ConfigurationFolder)Playground/Game.xml"));
        for (IParserData* child = root != nullptr ? root->GetFirstChild() : nullptr; child != nullptr;
             child = child->GetNextSibling())
        {
            if (child->GetName() == "Objects")
            {
                m_level.reset(child->Clone());
                m_levelObjects = m_level.get();
            }
        }
        if (m_levelObjects == nullptr)
        {
            return false;
        }
        XMLParserData game;
        game.FromString(Format(R"(<GameSystem><Objects archetypesFolder="%s"/></GameSystem>)",
                               m_levelObjects->GetAttribute("archetypesFolder", "").c_str()));
        return Game::System::GetInstance().Parse(&game);
    }

    // The key goes down through the window's event pump as a player's would; two samples later it
    // reads as held, and it stays held, since nothing samples the input again.
    bool HoldForward()
    {
        Input::System& input = Input::System::GetInstance();
        Window::System& window = Window::System::GetInstance();
        if (!m_events.IsReady() || !input.Initialize())
        {
            return false;
        }
        SDL_Event press{};
        press.type = SDL_KEYDOWN;
        press.key.state = SDL_PRESSED;
        press.key.keysym.scancode = SDL_SCANCODE_W;
        if (SDL_PushEvent(&press) != 1)
        {
            return false;
        }
        window.Update(kStep);
        window.active = true;
        input.Update(kStep);
        input.Update(kStep);
        return input.IsHeld('W');
    }

    Platform::SdlSubsystem m_events{SDL_INIT_EVENTS};
    std::unique_ptr<IParserData> m_level;
    IParserData* m_levelObjects = nullptr;
    bool m_ready = false;
};

// The playground's objects, the player among them, initialised, for one benchmark run.
class Playground
{
public:
    Playground()
    {
        Game::System& game = Game::System::GetInstance();
        game.Parse(Systems::Get().GetLevelObjects());
        game.Update(kStep);
        Game::Object* player = game.GetObject("Player");
        Game::Object* platform = game.GetObject("Platform");
        if (player == nullptr || platform == nullptr)
        {
            return;
        }
        m_controller = player->GetComponent<CharacterController>();
        m_body = player->GetComponent<CharacterPhysics>();
        m_transform = player->GetComponent<Game::TransformComponent>();
        m_platform = platform->GetComponent<Game::TransformComponent>();
        if (m_controller == nullptr || m_body == nullptr || m_transform == nullptr || m_platform == nullptr)
        {
            m_controller = nullptr;
            return;
        }
        m_start = m_transform->GetPosition();
        m_platformStart = m_platform->GetPosition();
    }
    ~Playground()
    {
        Game::System::GetInstance().Release();
        Physics::System::GetInstance().Release();
    }
    Playground(const Playground&) = delete;
    Playground& operator=(const Playground&) = delete;

    bool IsReady() const { return m_controller != nullptr; }
    bool IsGrounded() const { return m_controller->IsGrounded(); }
    const CharacterPhysics& GetBody() const { return *m_body; }
    const glm::vec3& GetStart() const { return m_start; }

    // What the behavior set and the physics system do for the player in one game frame; true when the
    // walk ended and the player was put back at the start.
    bool Frame()
    {
        m_controller->Update(kStep);
        Physics::System::GetInstance().Update(kStep);
        if (m_transform->GetPosition().x <= kTurnBackX)
        {
            return false;
        }
        m_transform->SetPosition(m_start);
        m_body->SetVelocity(glm::vec3(0.0f));
        m_platform->SetPosition(m_platformStart);
        return true;
    }

private:
    CharacterController* m_controller = nullptr;
    CharacterPhysics* m_body = nullptr;
    Game::TransformComponent* m_transform = nullptr;
    Game::TransformComponent* m_platform = nullptr;
    glm::vec3 m_start{0.0f};
    glm::vec3 m_platformStart{0.0f};
};

void ControllerAndPhysicsFrame(benchmark::State& state)
{
    if (!Systems::Get().IsReady())
    {
        state.SkipWithError("the player's systems could not be set up");
        return;
    }
    // The engine's log stays out of the report; the rows are printed once the run is over.
    const Benchmarks::RedirectedOutput quiet("/dev/null");
    Playground playground;
    if (!playground.IsReady())
    {
        state.SkipWithError("the playground has no player or platform");
        return;
    }
    // Into a steady walk, with the first footstep and landing sounds behind.
    for (int frame = 0; frame < 60; ++frame)
    {
        playground.Frame();
    }
    Walks walks;
    const Clock::time_point begin = Clock::now();
    for (auto _ : state)
    {
        walks.Count(playground.Frame(), playground.IsGrounded());
    }
    walks.Report(state, std::chrono::duration<double>(Clock::now() - begin).count());
    state.counters["narrow_phase"] =
        static_cast<double>(Physics::System::GetInstance().GetNarrowPhaseCount());
}
BENCHMARK(ControllerAndPhysicsFrame);

struct Box
{
    glm::vec3 min;
    glm::vec3 max;
};

Box BoundsOf(const Physics::Component& body)
{
    const auto& shape = static_cast<const Physics::AABB&>(*body.GetShape());
    return {shape.GetMin(), shape.GetMax()};
}

// The player as the bare loop keeps it: its body, its view and the camera that follows it, with the
// controller's and the character body's constants.
struct BarePlayer
{
    static constexpr float kRunSpeed = 20.0f;
    static constexpr float kGravity = 20.0f;
    static constexpr float kDamping = 1.5f;
    static constexpr float kMaxHorizontalSpeed = 50.0f;
    static constexpr float kMaxVerticalSpeed = 150.0f;
    static constexpr float kViewSmoothing = 15.0f;
    static constexpr float kCameraSmoothing = 20.0f;
    static constexpr float kEyeHeight = 0.5f;

    glm::vec3 position{0.0f};
    glm::vec3 velocity{0.0f};
    glm::vec3 halfSize{0.5f, 1.0f, 0.5f};
    glm::vec3 camera{0.0f};
    glm::vec3 target{0.0f};
    float polar = 1.5708f;
    float azimuth = 0.0f;
    float targetPolar = 1.5708f;
    float targetAzimuth = 0.0f;
    bool grounded = false;
};

// Overlap on every axis, then the axis of least penetration: the signed depth along it, or false.
bool PlainBoxContact(const Box& a, const Box& b, int& axis, float& depth)
{
    depth = std::numeric_limits<float>::max();
    for (int index = 0; index < 3; ++index)
    {
        if (b.min[index] > a.max[index] || a.min[index] > b.max[index])
        {
            return false;
        }
        const float d1 = b.min[index] - a.max[index];
        const float d2 = b.max[index] - a.min[index];
        const float candidate = std::abs(d2) > std::abs(d1) ? d1 : d2;
        if (std::abs(candidate) < std::abs(depth))
        {
            depth = candidate;
            axis = index;
        }
    }
    return true;
}

void BareFrame(BarePlayer& player, const std::vector<Box>& boxes, Box& platform, float dt)
{
    const glm::vec3 up(0.0f, 1.0f, 0.0f);
    // The view eases toward where the (still) mouse points it.
    const float follow = 1.0f - std::exp(-BarePlayer::kViewSmoothing * dt);
    player.polar += (player.targetPolar - player.polar) * follow;
    player.azimuth += (player.targetAzimuth - player.azimuth) * follow;
    const glm::vec3 look(std::cos(player.azimuth) * std::sin(player.polar), std::cos(player.polar),
                         std::sin(player.azimuth) * std::sin(player.polar));
    // W pushes along the ground under the view.
    const glm::vec3 right = glm::normalize(glm::cross(look, up));
    const glm::vec3 forward = glm::cross(up, right);
    player.velocity += forward * (BarePlayer::kRunSpeed * dt);

    // Semi-implicit Euler: gravity into the velocity, limits and damping, then the position.
    player.velocity.y -= BarePlayer::kGravity * dt;
    player.velocity = glm::clamp(player.velocity,
                                 -glm::vec3(BarePlayer::kMaxHorizontalSpeed, BarePlayer::kMaxVerticalSpeed,
                                            BarePlayer::kMaxHorizontalSpeed),
                                 glm::vec3(BarePlayer::kMaxHorizontalSpeed, BarePlayer::kMaxVerticalSpeed,
                                           BarePlayer::kMaxHorizontalSpeed));
    player.velocity *= 1.0f - BarePlayer::kDamping * dt;
    player.position += player.velocity * dt;
    const glm::vec3 glide(0.0f, 0.0f, dt);
    platform.min += glide;
    platform.max += glide;

    // Out of every box the player closes on, its velocity into the box cancelled.
    const Box mine{player.position - player.halfSize, player.position + player.halfSize};
    player.grounded = false;
    const auto resolve = [&](const Box& other)
    {
        int axis = 0;
        float depth = 0.0f;
        if (!PlainBoxContact(mine, other, axis, depth))
        {
            return;
        }
        glm::vec3 normal(0.0f);
        normal[axis] = depth < 0.0f ? 1.0f : -1.0f;
        const float approach = -glm::dot(normal, player.velocity);
        if (approach <= -0.05f)
        {
            player.position -= normal * std::abs(depth);
            player.velocity += normal * approach;
        }
        player.grounded = player.grounded || normal.y < -0.99f;
    };
    for (const Box& box : boxes)
    {
        resolve(box);
    }
    resolve(platform);

    // The camera closes on the eye and looks along the view.
    const glm::vec3 eye = player.position + up * BarePlayer::kEyeHeight;
    player.camera += (eye - player.camera) * (1.0f - std::exp(-BarePlayer::kCameraSmoothing * dt));
    player.target = player.camera + look * 2.0f;
}

void BareLoopFrame(benchmark::State& state)
{
    if (!Systems::Get().IsReady())
    {
        state.SkipWithError("the player's systems could not be set up");
        return;
    }
    // The same boxes, as the physics step left them after the first frame, and the same player.
    std::vector<Box> boxes;
    Box platform{};
    BarePlayer player;
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        const Playground playground;
        Physics::System& physics = Physics::System::GetInstance();
        if (!playground.IsReady() || physics.GetKinematicComponents().empty())
        {
            state.SkipWithError("the playground has no player or platform");
            return;
        }
        physics.Update(kStep);
        for (const Physics::Component* body : physics.GetStaticComponents())
        {
            boxes.push_back(BoundsOf(*body));
        }
        platform = BoundsOf(*physics.GetKinematicComponents().front());
        player.position = playground.GetStart();
        player.halfSize = static_cast<const Physics::AABB&>(*playground.GetBody().GetShape()).GetHalfSize();
    }
    const glm::vec3 start = player.position;
    const Box platformStart = platform;
    Walks walks;
    const Clock::time_point begin = Clock::now();
    for (auto _ : state)
    {
        BareFrame(player, boxes, platform, kStep);
        const bool putBack = player.position.x > kTurnBackX;
        if (putBack)
        {
            player.position = start;
            player.velocity = glm::vec3(0.0f);
            platform = platformStart;
        }
        walks.Count(putBack, player.grounded);
        benchmark::DoNotOptimize(player);
    }
    walks.Report(state, std::chrono::duration<double>(Clock::now() - begin).count());
}
BENCHMARK(BareLoopFrame);
} // namespace

int main(int argc, char** argv)
{
    return Benchmarks::RunWithRatios(argc, argv,
                                     {{"player frame (controller + physics step) vs bare glm loop",
                                       "BareLoopFrame", "ControllerAndPhysicsFrame", false}});
}
