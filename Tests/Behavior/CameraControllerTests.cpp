#include "Behavior/CameraController/CameraController.h"
#include "Component/Object.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsSystem.h"
#include "Input/InputSystem.h"
#include "Support/ParseXml.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
using namespace Morvane;

TEST(CameraController, StartsFromTheCamerasDirectionAndClampsThePolarAngle)
{
    ASSERT_TRUE(Graphics::System::GetInstance().Parse(
        Testing::ParseXml(
            R"(<GraphicsSystem><Camera name="Free" position="1;2;3" target="1;2;5"/></GraphicsSystem>)")
            .get()));
    Graphics::Camera* camera = Graphics::System::GetInstance().GetCamera("Free");
    Game::Object owner("Viewer");
    CameraController controller(&owner);
    ASSERT_TRUE(controller.Parse(Testing::ParseXml(R"(<Behavior camera="Free"/>)").get()));
    ASSERT_TRUE(controller.Initialize());
    EXPECT_TRUE(Input::System::GetInstance().mouseLocked);
    Input::System& input = Input::System::GetInstance();
    input.mouseDeltaX = 0;
    input.mouseDeltaY = 0;
    controller.Update(0.0f);
    // Still looking along +z, one unit ahead.
    EXPECT_NEAR(camera->GetTarget().x, 1.0f, 1e-5f);
    EXPECT_NEAR(camera->GetTarget().y, 2.0f, 1e-5f);
    EXPECT_NEAR(camera->GetTarget().z, 4.0f, 1e-5f);
    // A huge downward turn stops just short of straight down.
    input.mouseDeltaY = -100000;
    controller.Update(1.0f);
    EXPECT_NEAR(camera->GetTarget().y - camera->GetPosition().y, std::cos(3.1315928f), 1e-5f);
    input.mouseDeltaY = 100000;
    controller.Update(1.0f);
    EXPECT_NEAR(camera->GetTarget().y - camera->GetPosition().y, std::cos(0.01f), 1e-5f);
    controller.Release();
    EXPECT_FALSE(input.mouseLocked);
    input.mouseDeltaY = 0;
}

// Mouse deltas are distances: the same pixels turn the same angle at any frame rate.
TEST(CameraController, AMouseMoveTurnsAsFarAtAnyStep)
{
    ASSERT_TRUE(Graphics::System::GetInstance().Parse(
        Testing::ParseXml(
            R"(<GraphicsSystem><Camera name="Free" position="0;0;0" target="1;0;0"/></GraphicsSystem>)")
            .get()));
    Graphics::Camera* camera = Graphics::System::GetInstance().GetCamera("Free");
    Input::System& input = Input::System::GetInstance();
    const auto turn = [&](float dt)
    {
        camera->SetTarget(camera->GetPosition() + glm::vec3(1.0f, 0.0f, 0.0f));
        Game::Object owner("Viewer");
        CameraController controller(&owner);
        EXPECT_TRUE(controller.Parse(Testing::ParseXml(R"(<Behavior camera="Free"/>)").get()));
        EXPECT_TRUE(controller.Initialize());
        input.mouseDeltaX = 50;
        controller.Update(dt);
        input.mouseDeltaX = 0;
        controller.Release();
        const glm::vec3 direction = camera->GetTarget() - camera->GetPosition();
        return std::atan2(direction.z, direction.x);
    };
    EXPECT_NEAR(turn(0.032f), 50 * 0.016f, 1e-5f);
    EXPECT_NEAR(turn(1.0f / 144.0f), 50 * 0.016f, 1e-5f);
}
} // namespace
