#include "Physics/GameBodies.h"
#include "Physics/SpringPhysics/SpringPhysics.h"

#include <cmath>
#include <gtest/gtest.h>

namespace Morvane::Testing
{
namespace
{
class SpringPhysicsTest : public GameBodies
{
protected:
    SpringPhysics* Spring(const std::string& position)
    {
        return MakeBody<SpringPhysics>(
            "spring", position,
            R"(type="PhysicsComponent_SpringPhysics" category="Dynamic" shape="AABB" size="1;1;1")");
    }
    // The game system initialises new objects at its next update.
    void InitializeObjects() { game.Update(0.0f); }
};

TEST_F(SpringPhysicsTest, SmallDisplacementsFeelNoForce)
{
    SpringPhysics* spring = Spring("1;2;3");
    InitializeObjects();
    EXPECT_EQ(spring->GetAnchor(), glm::vec3(1.0f, 2.0f, 3.0f));
    TransformOf(spring).SetPosition(glm::vec3(1.3f, 2.0f, 3.0f));
    Step(0.016f);
    EXPECT_EQ(spring->GetVelocity(), glm::vec3(0.0f));
    EXPECT_EQ(TransformOf(spring).GetPosition(), glm::vec3(1.3f, 2.0f, 3.0f));
}

TEST_F(SpringPhysicsTest, LargeDisplacementsOscillateAndSettleNearTheAnchor)
{
    SpringPhysics* spring = Spring("0;0;0");
    InitializeObjects();
    TransformOf(spring).SetPosition(glm::vec3(2.0f, 0.0f, 0.0f));
    int crossings = 0;
    float previous = 2.0f;
    for (int step = 0; step < 600; ++step)
    {
        Step(0.016f);
        const float x = TransformOf(spring).GetPosition().x;
        crossings += (x < 0.0f) != (previous < 0.0f) ? 1 : 0;
        previous = x;
    }
    EXPECT_GE(crossings, 2);
    const glm::vec3 offset = TransformOf(spring).GetPosition() - spring->GetAnchor();
    EXPECT_LE(glm::dot(offset, offset), 0.1f);
    EXPECT_LT(std::abs(spring->GetVelocity().x), 0.01f);
}

TEST_F(SpringPhysicsTest, APlacedSpringKeepsItsPlacedAnchor)
{
    SpringPhysics* spring = Spring("0;0;0");
    // The level loader places objects after parsing them; nothing pulls before they start.
    TransformOf(spring).SetPosition(glm::vec3(5.0f, 0.0f, 0.0f));
    EXPECT_FALSE(spring->HasAnchor());
    Step(0.016f);
    EXPECT_EQ(TransformOf(spring).GetPosition(), glm::vec3(5.0f, 0.0f, 0.0f));
    InitializeObjects();
    EXPECT_EQ(spring->GetAnchor(), glm::vec3(5.0f, 0.0f, 0.0f));
    Step(0.016f, 60);
    EXPECT_EQ(TransformOf(spring).GetPosition(), glm::vec3(5.0f, 0.0f, 0.0f));
}
// A step of no time (a paused frame) leaves even a nearly weightless spring where it is: its pull is
// capped only for steps that take time, and an uncapped pull over no time used to make it NaN.
TEST_F(SpringPhysicsTest, AStepOfNoTimeLeavesALightSpringFinite)
{
    SpringPhysics* spring = MakeBody<SpringPhysics>(
        "feather", "0;0;0",
        R"(type="PhysicsComponent_SpringPhysics" category="Dynamic" shape="AABB" size="1;1;1" mass="1e-38")");
    ASSERT_NE(spring, nullptr);
    InitializeObjects();
    TransformOf(spring).SetPosition(glm::vec3(30.0f, 0.0f, 0.0f));
    Step(0.0f);
    EXPECT_EQ(TransformOf(spring).GetPosition(), glm::vec3(30.0f, 0.0f, 0.0f));
    EXPECT_EQ(spring->GetVelocity(), glm::vec3(0.0f));
    Step(0.016f, 10);
    EXPECT_TRUE(std::isfinite(TransformOf(spring).GetPosition().x));
    EXPECT_TRUE(std::isfinite(spring->GetVelocity().x));
}
} // namespace
} // namespace Morvane::Testing
