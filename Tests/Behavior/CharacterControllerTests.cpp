// The controller on a player built in code: what no capture script can reach (the body's reshaping,
// pads that go away, bad data, long random input).
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
#include "Shape/AABB.h"
#include "Support/GameGraphicsTest.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "System/Assert/Assertion.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>

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
        ASSERT_TRUE(Input::System::GetInstance().Initialize());
        m_archetypes.Write(
            "FadeInOut.xml",
            "<Object><Transform/><Graphics renderable=\"Mesh_ScreenQuad\" renderSets=\"Fade\"/></Object>");
        m_archetypes.Write("Other.xml", "<Object><Transform/></Object>");
        m_archetypes.Write("ParticleSystem_Cord.xml", "<Object><Transform/></Object>");
        ASSERT_TRUE(game.Parse(Testing::ParseXml("<GameSystem><Objects archetypesFolder=\"" +
                                                 m_archetypes.Path() + "\"/></GameSystem>")
                                   .get()));
        ASSERT_TRUE(Graphics::System::GetInstance().Parse(
            Testing::ParseXml(
                R"(<GraphicsSystem><Camera name="Camera_World" position="0;5;5" target="0;0;0"/><Set name="Fade"/></GraphicsSystem>)")
                .get()));
        player = game.CreateObject("Player");
        ASSERT_TRUE(player->Parse(
            Testing::ParseXml(R"(<Object><Transform position="3;1;-2" scale="1;2;1"/></Object>)").get()));
        body = Physics::System::GetInstance().CreateComponentInCode<CharacterPhysics>(
            player, *Testing::ParseXml(R"(<Physics category="Dynamic" shape="AABB" size="1;2;1"/>)"));
        ASSERT_NE(body, nullptr);
    }

    Game::System& game = Game::System::GetInstance();
    Game::Object* player = nullptr;
    CharacterPhysics* body = nullptr;

private:
    Testing::TempDirectory m_archetypes;
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
    EXPECT_EQ(other->GetPosition(), glm::vec3(3.0f, 1.0f, -2.0f));
    ASSERT_NE(game.GetObject("ParticleSystem_Cord"), nullptr);

    controller.Release();
    EXPECT_FALSE(Input::System::GetInstance().mouseLocked);
    game.Update(0.016f);
    EXPECT_EQ(game.GetObject("FadeInOut"), nullptr);
    EXPECT_EQ(game.GetObject("Other"), nullptr);
    EXPECT_EQ(game.GetObject("ParticleSystem_Cord"), nullptr);
    EXPECT_NE(game.GetObject("Player"), nullptr);
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
} // namespace
} // namespace Morvane
