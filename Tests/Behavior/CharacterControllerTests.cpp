// The controller on a player built in code: what no capture script can reach (the body's reshaping,
// pads that go away, bad data, long random input).
#include "Behavior/BehaviorFactory/BehaviorFactory.h"
#include "Behavior/BehaviorSystem.h"
#include "Behavior/CharacterController/CharacterController.h"
#include "Behavior/Options/Options.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/GraphicsSystem.h"
#include "Input/InputSystem.h"
#include "Physics/CharacterPhysics/CharacterPhysics.h"
#include "Physics/PhysicsSystem.h"
#include "Resources/ResourceSystem.h"
#include "Shape/AABB.h"
#include "Sound/AudioComponent.h"
#include "Sound/AudioSystem.h"
#include "Sound/Sound.h"
#include "Support/GameGraphicsTest.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"

#include <AL/al.h>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <random>
#include <sndfile.h>

namespace Morvane
{
namespace
{
class CharacterControllerTest : public Testing::GameGraphicsTest
{
protected:
    void SetUp() override
    {
        SetUpGame({"Meshes.xml"});
        // The player makes its companion, a behavior of the game's own.
        Behavior::System::GetInstance().m_customComponentFactory = &CreateCustomBehaviorComponent;
        ASSERT_TRUE(Input::System::GetInstance().Initialize());
        Input::System::GetInstance().mouseDeltaX = Input::System::GetInstance().mouseDeltaY = 0;
        m_archetypes.Write(
            "FadeInOut.xml",
            "<Object><Transform/><Graphics renderable=\"Mesh_ScreenQuad\" renderSets=\"Fade\"/></Object>");
        m_archetypes.Write("Other.xml", R"(<Object><Transform/><Graphics renderable="Mesh_Cube"/>
            <Physics category="Dynamic" shape="AABB" size="0.3;0.3;0.3" collisionIds="7" collideWithIds="0"/>
            <Audio/><Behavior type="BehaviorComponent_Other"/></Object>)");
        m_archetypes.Write("FloatingObject.xml", R"(<Object><Transform/><Graphics renderable="Mesh_Cube"/>
            <Behavior type="BehaviorComponent_FloatingObject"/></Object>)");
        m_archetypes.Write("ParticleSystem_OtherAura.xml", "<Object><Transform/></Object>");
        m_archetypes.Write("ParticleSystem_Cord.xml", "<Object><Transform/></Object>");
        ASSERT_TRUE(game.Parse(Testing::ParseXml("<GameSystem><Objects archetypesFolder=\"" +
                                                 m_archetypes.Path() + "\"/></GameSystem>")
                                   .get()));
        ASSERT_TRUE(Graphics::System::GetInstance().Parse(
            Testing::ParseXml(
                R"(<GraphicsSystem><Camera name="Camera_World" position="0;5;5" target="0;0;0"/><Set name="Fade"/></GraphicsSystem>)")
                .get()));
        // The audio system registers the "Audio" element when it is made; starting it drops its components.
        Audio::System::GetInstance();
        StartAudio();
        player = game.CreateObject("Player");
        ASSERT_TRUE(player->Parse(
            Testing::ParseXml(R"(<Object><Transform position="3;1;-2" scale="1;2;1"/><Audio/></Object>)")
                .get()));
        body = Physics::System::GetInstance().CreateComponentInCode<CharacterPhysics>(
            player, *Testing::ParseXml(R"(<Physics category="Dynamic" shape="AABB" size="1;2;1"/>)"));
        ASSERT_NE(body, nullptr);
    }

    virtual void StartAudio() {}

    Game::System& game = Game::System::GetInstance();
    Game::Object* player = nullptr;
    CharacterPhysics* body = nullptr;

private:
    Testing::TempDirectory m_archetypes;
};

// The player on a floor, hearing through the audio system's no-sound output whose mix stands still, so
// that a sound plays until it is stopped. Every sound the controller plays is a short tone.
class CharacterControllerSoundTest : public CharacterControllerTest
{
protected:
    void StartAudio() override
    {
        setenv("ALSOFT_DRIVERS", "none", 1);
        SF_INFO info{0, 44100, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
        const std::string tone = m_sounds.Path() + "tone.wav";
        SNDFILE* file = sf_open(tone.c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr);
        const std::vector<float> samples(4410, 0.25f);
        sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size()));
        sf_close(file);
        std::string definitions = "<ResourceSystem>";
        for (int step = 1; step <= 20; ++step)
        {
            definitions += Format("<Sound name=\"Sound_Walk_%02d\" path=\"%s\"/>", step, tone.c_str());
        }
        for (const char* name : {"Sound_Fall", "Sound_Jump_01", "Sound_Respawn"})
        {
            definitions += Format("<Sound name=\"%s\" path=\"%s\"/>", name, tone.c_str());
        }
        ASSERT_TRUE(Resources::System::GetInstance().Parse(
            Testing::ParseXml(definitions + "</ResourceSystem>").get()));
        ASSERT_TRUE(audio.Initialize());
        audio.GetBackend()->SetClock([] { return 0u; });
    }

    void SetUp() override
    {
        CharacterControllerTest::SetUp();
        Game::Object* floor = game.CreateObject("Floor");
        ASSERT_TRUE(floor->Parse(
            Testing::ParseXml(R"(<Object><Transform position="3;-0.5;-2" scale="20;1;20"/></Object>)")
                .get()));
        ASSERT_NE(
            Physics::System::GetInstance().CreateComponentInCode<Physics::Component>(
                floor,
                *Testing::ParseXml(
                    R"(<Physics category="Static" mass="0" restitution="0" shape="AABB" size="20;1;20"/>)")),
            nullptr);
        controller = std::make_unique<CharacterController>(player);
        ASSERT_TRUE(controller->Parse(Testing::ParseXml(R"(<Behavior camera="Camera_World"/>)").get()));
        // Initialises the player's audio and the controller's companions.
        game.Update(0.016f);
        ASSERT_TRUE(controller->Initialize());
        playerAudio = player->GetComponent<Audio::Component>();
        ASSERT_NE(playerAudio, nullptr);
    }

    void TearDown() override
    {
        if (controller != nullptr)
        {
            controller->Release();
        }
        Input::System::GetInstance().GetJoystick(0)->ClearState();
        game.Release();
        Physics::System::GetInstance().Release();
        audio.Release();
        Resources::System::GetInstance().Release();
        CharacterControllerTest::TearDown();
    }

    // One frame as the game runs it: behaviors, then physics, then audio.
    void Frame(float dt = 0.016f)
    {
        controller->Update(dt);
        Physics::System::GetInstance().Update(dt);
        audio.Update(dt);
    }

    std::string PlayingStep() const
    {
        const bool walking = playerAudio->IsPlaying() && playerAudio->GetSound() != nullptr &&
                             playerAudio->GetSound()->GetName().rfind("Sound_Walk_", 0) == 0;
        return walking ? playerAudio->GetSound()->GetName() : "";
    }

    Audio::System& audio = Audio::System::GetInstance();
    std::unique_ptr<CharacterController> controller;
    Audio::Component* playerAudio = nullptr;

private:
    Testing::TempDirectory m_sounds;
};

glm::vec3 HalfSize(const CharacterPhysics& body)
{
    return static_cast<const Physics::AABB*>(body.GetShape())->GetHalfSize();
}

TEST_F(CharacterControllerTest, MakesItsCompanionsAndDestroysThemOnRelease)
{
    CharacterController controller(player);
    ASSERT_TRUE(controller.Parse(Testing::ParseXml(R"(<Behavior camera="Camera_World"/>)").get()));
    ASSERT_TRUE(controller.Initialize());
    EXPECT_EQ(body->GetGravity(), glm::vec3(0.0f, -20.0f, 0.0f));
    EXPECT_EQ(controller.GetRespawnPoint(), glm::vec3(3.0f, 1.0f, -2.0f));
    EXPECT_TRUE(Input::System::GetInstance().mouseLocked);
    Game::Object* fade = game.GetObject("FadeInOut");
    ASSERT_NE(fade, nullptr);
    const auto* overlay = fade->GetComponent<Graphics::Component>();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->GetDiffuseColor(), glm::vec4(1.0f, 1.0f, 1.0f, 0.0f));
    ASSERT_NE(game.GetObject("Other"), nullptr);
    const auto* other = game.GetObject("Other")->GetComponent<Game::TransformComponent>();
    ASSERT_NE(other, nullptr);
    // At the player's eye, where the camera comes on the first frame.
    EXPECT_EQ(other->GetPosition(), glm::vec3(3.0f, 1.5f, -2.0f));
    ASSERT_NE(game.GetObject("ParticleSystem_Cord"), nullptr);

    controller.Release();
    EXPECT_FALSE(Input::System::GetInstance().mouseLocked);
    game.Update(0.016f);
    EXPECT_EQ(game.GetObject("FadeInOut"), nullptr);
    EXPECT_EQ(game.GetObject("Other"), nullptr);
    EXPECT_EQ(game.GetObject("ParticleSystem_Cord"), nullptr);
    EXPECT_NE(game.GetObject("Player"), nullptr);
}

TEST_F(CharacterControllerTest, TheOldPlayerLeavingAfterTheNewOneCameKeepsTheMouseLocked)
{
    Behavior::System& behaviors = Behavior::System::GetInstance();
    behaviors.m_customComponentFactory = &CreateCustomBehaviorComponent;
    const auto makePlayer = [this](const std::string& name)
    {
        Game::Object* object = game.CreateObject(name);
        EXPECT_TRUE(object->Parse(Testing::ParseXml(R"(<Object><Transform/>
            <Behavior type="BehaviorComponent_CharacterController" camera="Camera_World"/></Object>)")
                                      .get()));
        return object;
    };
    Game::Object* old = makePlayer("Old");
    game.Update(0.016f);
    ASSERT_NE(old->GetComponent<CharacterController>(), nullptr);
    ASSERT_TRUE(Input::System::GetInstance().mouseLocked);
    // A level change: the new player is made and initialised before the old one is released.
    Game::Object* next = makePlayer("New");
    game.MarkForDeletion(old);
    game.Update(0.016f);
    EXPECT_EQ(game.GetObject("Old"), nullptr);
    EXPECT_TRUE(Input::System::GetInstance().mouseLocked);
    game.MarkForDeletion(next);
    game.Update(0.016f);
    EXPECT_FALSE(Input::System::GetInstance().mouseLocked);
    behaviors.Release();
    behaviors.m_customComponentFactory = nullptr;
}

TEST_F(CharacterControllerTest, GravityStandsTheBoxTallAlongThePull)
{
    CharacterController controller(player);
    ASSERT_TRUE(controller.Parse(Testing::ParseXml(R"(<Behavior camera="Camera_World"/>)").get()));
    ASSERT_TRUE(controller.Initialize());
    controller.SetGravity(glm::vec3(-9.8f, 0.0f, 0.0f));
    EXPECT_EQ(body->GetGravity(), glm::vec3(-9.8f, 0.0f, 0.0f));
    EXPECT_EQ(HalfSize(*body), glm::vec3(1.0f, 0.5f, 0.5f));
    // With a pull along both y and z, z wins.
    controller.SetGravity(glm::vec3(0.0f, 9.8f, -9.8f));
    EXPECT_EQ(HalfSize(*body), glm::vec3(0.5f, 0.5f, 1.0f));
    controller.SetGravity(glm::vec3(0.0f, 9.8f, 0.0f));
    EXPECT_EQ(HalfSize(*body), glm::vec3(0.5f, 1.0f, 0.5f));
    controller.Release();
}

TEST_F(CharacterControllerTest, AnUnknownCameraIsAnErrorAtParseAndAnAssertionOnUpdate)
{
    CharacterController controller(player);
    Testing::LogCapture log;
    EXPECT_TRUE(controller.Parse(Testing::ParseXml(R"(<Behavior camera="Camera_Missing"/>)").get()));
    EXPECT_NE(log.Text().find("Camera 'Camera_Missing' does not exists"), std::string::npos) << log.Text();
    ASSERT_TRUE(controller.Initialize());
    try
    {
        controller.Update(0.016f);
        ADD_FAILURE() << "no assertion";
    }
    catch (const AssertionFailure& failure)
    {
        EXPECT_NE(std::string(failure.what()).find("m_camera"), std::string::npos) << failure.what();
    }
    controller.Release();
}

TEST_F(CharacterControllerTest, WithoutABodyItStandsStillAndSaysSoOnce)
{
    Game::Object* ghost = game.CreateObject("Ghost");
    ASSERT_TRUE(ghost->Parse(Testing::ParseXml(R"(<Object><Transform/></Object>)").get()));
    CharacterController controller(ghost);
    ASSERT_TRUE(controller.Parse(Testing::ParseXml(R"(<Behavior camera="Camera_World"/>)").get()));
    ASSERT_TRUE(controller.Initialize());
    Graphics::Camera* camera = Graphics::System::GetInstance().GetCamera("Camera_World");
    const glm::vec3 before = camera->GetPosition();
    Testing::LogCapture log;
    controller.Update(0.016f);
    controller.Update(0.016f);
    const std::string& text = log.Text();
    const std::size_t first = text.find("has no transform or character body");
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_EQ(text.find("has no transform or character body", first + 1), std::string::npos) << text;
    EXPECT_EQ(camera->GetPosition(), before);
    controller.Release();
}

TEST_F(CharacterControllerTest, NonFiniteViewsAreRefusedAndRandomInputKeepsTheViewSound)
{
    CharacterController controller(player);
    ASSERT_TRUE(controller.Parse(Testing::ParseXml(R"(<Behavior camera="Camera_World"/>)").get()));
    ASSERT_TRUE(controller.Initialize());
    controller.SetView(1.2f, 0.5f);
    {
        Testing::LogCapture log;
        controller.SetView(std::numeric_limits<float>::quiet_NaN(), 0.0f);
        controller.SetView(1.0f, std::numeric_limits<float>::infinity());
        EXPECT_NE(log.Text().find("is not finite"), std::string::npos) << log.Text();
    }
    EXPECT_FLOAT_EQ(controller.GetPolar(), 1.2f);
    EXPECT_FLOAT_EQ(controller.GetAzimuth(), 0.5f);

    Input::System& input = Input::System::GetInstance();
    const auto* transform = player->GetComponent<Game::TransformComponent>();
    ASSERT_NE(transform, nullptr);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pixels(-5000, 5000);
    std::uniform_real_distribution<float> step(0.0f, 0.032f);
    for (int frame = 0; frame < 2000; ++frame)
    {
        input.mouseDeltaX = pixels(random);
        input.mouseDeltaY = pixels(random);
        controller.Update(step(random));
        ASSERT_TRUE(std::isfinite(controller.GetAzimuth())) << frame;
        ASSERT_GE(controller.GetPolar(), 0.01f - 1e-6f) << frame;
        ASSERT_LE(controller.GetPolar(), 3.1315928f + 1e-6f) << frame;
        const glm::vec3& position = transform->GetPosition();
        ASSERT_TRUE(std::isfinite(position.x) && std::isfinite(position.y) && std::isfinite(position.z))
            << frame;
    }
    input.mouseDeltaX = input.mouseDeltaY = 0;
    controller.Release();
}

TEST_F(CharacterControllerTest, AFallWithAMissingRespawnSoundStillPutsThePlayerBack)
{
    CharacterController controller(player);
    ASSERT_TRUE(controller.Parse(Testing::ParseXml(R"(<Behavior camera="Camera_World"/>)").get()));
    ASSERT_TRUE(controller.Initialize());
    auto* transform = player->GetComponent<Game::TransformComponent>();
    ASSERT_NE(transform, nullptr);
    Testing::LogCapture log;
    // Nothing moves the body here: 2.6 s of air is the whole fall.
    for (int frame = 0; frame < 170; ++frame)
    {
        transform->SetPosition(transform->GetPosition() - glm::vec3(0.0f, 0.1f, 0.0f));
        controller.Update(0.016f);
    }
    EXPECT_NE(log.Text().find("Could not play sound 'Sound_Respawn'"), std::string::npos) << log.Text();
    EXPECT_EQ(transform->GetPosition(), glm::vec3(3.0f, 1.0f, -2.0f));
    EXPECT_EQ(body->GetVelocity(), glm::vec3(0.0f));
    controller.Release();
}

TEST_F(CharacterControllerTest, APadThatStoppedAnsweringNoLongerSteers)
{
    CharacterController controller(player);
    ASSERT_TRUE(controller.Parse(Testing::ParseXml(R"(<Behavior camera="Camera_World"/>)").get()));
    ASSERT_TRUE(controller.Initialize());
    Input::Joystick* pad = Input::System::GetInstance().GetJoystick(0);
    // Unplugged with the right stick pushed and the left stick forward: its last reading stays.
    pad->connected = false;
    pad->axes = {0.0f, 1.0f, 1.0f, 0.0f};
    controller.Update(0.016f);
    EXPECT_FLOAT_EQ(controller.GetAzimuth(), 0.0f);
    EXPECT_FLOAT_EQ(body->GetVelocity().x, 0.0f);
    // Answering again, it turns at 8 × 0.2 × 5 / 10 rad/s (before smoothing) and pushes along the view.
    pad->connected = true;
    controller.Update(0.016f);
    EXPECT_GT(controller.GetAzimuth(), 0.0f);
    EXPECT_GT(body->GetVelocity().x, 0.0f);
    pad->ClearState();
    pad->connected = false;
    controller.Release();
}

TEST_F(CharacterControllerTest, SensitivityScalesAndInvertYFlipsTheMouseLook)
{
    CharacterController controller(player);
    ASSERT_TRUE(controller.Parse(Testing::ParseXml(R"(<Behavior camera="Camera_World"/>)").get()));
    ASSERT_TRUE(controller.Initialize());
    Input::System& input = Input::System::GetInstance();
    Options& options = Options::GetInstance();
    // The turn a 50-pixel move makes, once the smoothing has caught up.
    const auto turn = [&](int sensitivity, bool invert, int dy)
    {
        options.SetMouseSensitivity(sensitivity);
        options.SetInvertY(invert);
        controller.SetView(1.5708f, 0.0f);
        input.mouseDeltaX = 50;
        input.mouseDeltaY = dy;
        controller.Update(0.016f);
        input.mouseDeltaX = input.mouseDeltaY = 0;
        for (int frame = 0; frame < 200; ++frame)
        {
            controller.Update(0.016f);
        }
        return glm::vec2(controller.GetAzimuth(), controller.GetPolar() - 1.5708f);
    };
    const glm::vec2 slow = turn(1, false, 0);
    const glm::vec2 fast = turn(10, false, 0);
    EXPECT_NEAR(fast.x, 10.0f * slow.x, 1e-4f);
    EXPECT_NEAR(fast.x, 50 * 0.016f * 0.2f, 1e-4f);
    // Up on the mouse looks up (a smaller polar angle), unless inverted.
    EXPECT_LT(turn(5, false, 20).y, 0.0f);
    EXPECT_GT(turn(5, true, 20).y, 0.0f);
    options.SetMouseSensitivity(42);
    EXPECT_EQ(options.GetMouseSensitivity(), Options::kMaximumSensitivity);
    options.SetMouseSensitivity(Options::kDefaultSensitivity);
    options.SetInvertY(false);
    controller.Release();
}

TEST_F(CharacterControllerSoundTest, StepsAreHeardOnlyOnTheGroundAndOnTheMove)
{
    Input::Joystick* pad = Input::System::GetInstance().GetJoystick(0);
    pad->connected = true;
    for (int frame = 0; frame < 20; ++frame)
    {
        Frame();
    }
    ASSERT_TRUE(controller->IsGrounded());
    EXPECT_EQ(PlayingStep(), "") << "standing still";
    pad->axes[Input::Joystick::LeftY] = 1.0f;
    for (int frame = 0; frame < 20; ++frame)
    {
        Frame();
    }
    EXPECT_NE(PlayingStep(), "") << "walking";
    // Off the floor and, once its grace has run out, still pushing: no steps.
    player->GetComponent<Game::TransformComponent>()->SetPosition(glm::vec3(3.0f, 40.0f, -2.0f));
    for (int frame = 0; frame < 15; ++frame)
    {
        Frame();
    }
    playerAudio->Stop();
    for (int frame = 0; frame < 20; ++frame)
    {
        Frame();
    }
    EXPECT_FALSE(controller->IsGrounded());
    EXPECT_EQ(PlayingStep(), "") << "in the air";
}

TEST_F(CharacterControllerSoundTest, TheListenerFollowsTheCameraAndReanchorBringsItToThePlayer)
{
    for (int frame = 0; frame < 5; ++frame)
    {
        Frame();
    }
    Graphics::Camera* camera = controller->GetCamera();
    glm::vec3 listener(0.0f);
    alGetListener3f(AL_POSITION, &listener.x, &listener.y, &listener.z);
    EXPECT_NEAR(listener.x, camera->GetPosition().x, 1e-4f);
    EXPECT_NEAR(listener.y, camera->GetPosition().y, 1e-4f);
    EXPECT_NEAR(listener.z, camera->GetPosition().z, 1e-4f);
    std::array<float, 6> orientation{};
    alGetListenerfv(AL_ORIENTATION, orientation.data());
    const glm::vec3 view = glm::normalize(camera->GetTarget() - camera->GetPosition());
    EXPECT_NEAR(orientation[0], view.x, 1e-4f);
    EXPECT_NEAR(orientation[2], view.z, 1e-4f);
    EXPECT_NEAR(orientation[4], 1.0f, 1e-4f);

    // Moved far off (the pause room): the camera and the companion come along at once, keeping the view.
    auto* transform = player->GetComponent<Game::TransformComponent>();
    transform->SetPosition(glm::vec3(100.0f, 50.0f, 100.0f));
    const glm::vec3 offset = camera->GetTarget() - camera->GetPosition();
    controller->Reanchor();
    EXPECT_EQ(camera->GetPosition(), transform->GetPosition());
    EXPECT_NEAR(glm::distance(camera->GetTarget() - camera->GetPosition(), offset), 0.0f, 1e-4f);
    EXPECT_EQ(game.GetObject("Other")->GetComponent<Game::TransformComponent>()->GetPosition(),
              camera->GetPosition());
}
} // namespace
} // namespace Morvane
