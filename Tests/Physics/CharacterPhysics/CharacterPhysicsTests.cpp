#include "Physics/CharacterPhysics/CharacterPhysics.h"
#include "Physics/CharacterPhysics/SegmentBoxTest.h"
#include "Physics/GameBodies.h"

#include <gtest/gtest.h>

namespace Morvane::Testing
{
namespace
{
class CharacterPhysicsTest : public GameBodies
{
protected:
    CharacterPhysics* Character(const std::string& position, const std::string& extra = "")
    {
        return MakeBody<CharacterPhysics>(
            "player", position,
            R"(type="PhysicsComponent_CharacterPhysics" category="Dynamic" shape="AABB" size="1;1;1" )" +
                extra);
    }
    // A floor 0.1 thick whose top is at y + 0.05.
    Physics::Component* Floor(const std::string& position, const std::string& mass)
    {
        return MakeBody("floor", position,
                        R"(category="Static" shape="AABB" size="10;0.1;10" mass=")" + mass + "\"");
    }
};

TEST_F(CharacterPhysicsTest, GravityAccelaratesEveryMassAlike)
{
    const float dt = 0.016f;
    for (const char* mass : {"1", "7"})
    {
        CharacterPhysics* body = Character("0;0;0", std::string("mass=\"") + mass + "\"");
        Step(dt);
        EXPECT_FLOAT_EQ(body->GetVelocity().y, -9.8f * dt * (1.0f - 1.5f * dt)) << mass;
        EXPECT_EQ(body->GetVelocity().x, 0.0f);
        body->SetGravity(glm::vec3(9.8f, 0.0f, 0.0f));
        body->SetVelocity(glm::vec3(0.0f));
        Step(dt);
        EXPECT_FLOAT_EQ(body->GetVelocity().x, 9.8f * dt * (1.0f - 1.5f * dt));
        game.Release();
    }
}

TEST_F(CharacterPhysicsTest, SpeedsAreClampedPerAxisBeforeDamping)
{
    CharacterPhysics* body = Character("0;0;0");
    body->SetVelocity(glm::vec3(80.0f, -200.0f, 10.0f));
    body->AdjustVelocity(0.0f);
    EXPECT_EQ(body->GetVelocity(), glm::vec3(50.0f, -150.0f, 10.0f));
    body->SetVelocity(glm::vec3(-80.0f, 200.0f, -60.0f));
    body->AdjustVelocity(0.1f);
    EXPECT_EQ(body->GetVelocity(), glm::vec3(-50.0f, 150.0f, -50.0f) * (1.0f - 1.5f * 0.1f));
}

TEST_F(CharacterPhysicsTest, FastFallIsStoppedAtTheEntryOfAThinFloor)
{
    const float dt = 0.032f;
    // 150 u/s less one step of damping: the step is far longer than the floor is thick.
    const float end = 2.5f - 150.0f * (1.0f - 1.5f * dt) * dt;
    for (const char* mass : {"0", "1"})
    {
        CharacterPhysics* body = Character("0;2.5;0", R"(velocity="0;-150;0")");
        Physics::Component* floor = Floor("0;0;0", mass);
        Step(dt);
        ASSERT_EQ(body->GetContacts().size(), 1u) << "only the sweep finds the floor";
        const Physics::Contact& contact = body->GetContacts()[0];
        EXPECT_EQ(contact.other, floor);
        EXPECT_NEAR(contact.point.y, 0.05f, 1e-5f);
        EXPECT_NEAR(contact.depth, -(0.05f - end), 1e-4f);
        const float expected = mass == std::string("0") ? 0.05f : (0.05f + end) * 0.5f;
        EXPECT_NEAR(TransformOf(body).GetPosition().y, expected, 1e-4f) << mass;
        if (mass == std::string("0"))
        {
            EXPECT_GT(body->GetVelocity().y, 0.0f) << "an immovable floor bounces it back";
        }
        game.Release();
    }
}

TEST_F(CharacterPhysicsTest, OnlyABodyThatMovedSweeps)
{
    CharacterPhysics* body = Character("0;0.02;0");
    Floor("0;0;0", "0");
    Step(0.0f);
    EXPECT_EQ(body->GetContacts().size(), 1u);
    body->SetVelocity(glm::vec3(0.0f, -1.0f, 0.0f));
    Step(0.016f);
    EXPECT_EQ(body->GetContacts().size(), 2u) << "the overlap and the sweep";
}

TEST_F(CharacterPhysicsTest, TheSweepReachesFloorsInTheCellTheStepLeft)
{
    // The floor lies wholly in the grid's cell y = 1 (50 and up); the step ends in cell 0.
    for (const bool useGrid : {true, false})
    {
        physics.SetUseGrid(useGrid);
        CharacterPhysics* body = Character("0;52.5;0", R"(velocity="0;-150;0" mass="1")");
        Floor("0;50.5;0", "0");
        Step(0.032f);
        EXPECT_EQ(body->GetContacts().size(), 1u) << useGrid;
        EXPECT_NEAR(TransformOf(body).GetPosition().y, 50.55f, 1e-4f) << useGrid;
        EXPECT_GT(body->GetBoundingVolume().GetMax().y, 52.5f);
        game.Release();
    }
}

TEST(SegmentBoxTest, SlabsGiveTheEntryPoint)
{
    const glm::vec3 min(-1.0f);
    const glm::vec3 max(1.0f);
    const auto hit =
        SweepSegmentAgainstBox(glm::vec3(-3.0f, 0.5f, 0.0f), glm::vec3(1.0f, 0.5f, 0.0f), min, max);
    ASSERT_TRUE(hit);
    EXPECT_FLOAT_EQ(hit->fraction, 0.5f);
    EXPECT_EQ(hit->point, glm::vec3(-1.0f, 0.5f, 0.0f));
    EXPECT_FALSE(
        SweepSegmentAgainstBox(glm::vec3(-3.0f, 0.0f, 0.0f), glm::vec3(-1.5f, 0.0f, 0.0f), min, max));
    EXPECT_FALSE(SweepSegmentAgainstBox(glm::vec3(-3.0f, 2.0f, 0.0f), glm::vec3(3.0f, 2.0f, 0.0f), min, max));
    EXPECT_FALSE(
        SweepSegmentAgainstBox(glm::vec3(-3.0f, -3.0f, 0.0f), glm::vec3(3.0f, 3.5f, 9.0f), min, max));
    const auto inside = SweepSegmentAgainstBox(glm::vec3(0.0f), glm::vec3(5.0f), min, max);
    ASSERT_TRUE(inside);
    EXPECT_EQ(inside->fraction, 0.0f);
}
} // namespace
} // namespace Morvane::Testing
