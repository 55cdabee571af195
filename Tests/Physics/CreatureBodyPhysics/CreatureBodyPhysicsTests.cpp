#include "LogCapture.h"
#include "Physics/CreatureBodyPhysics/CreatureBodyPhysics.h"
#include "Physics/GameBodies.h"
#include "Physics/SpringPhysics/SpringPhysics.h"

#include <cfloat>
#include <cmath>
#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>
#include <gtest/gtest.h>

namespace Morvane::Testing
{
namespace
{
class CreatureBodyPhysicsTest : public GameBodies
{
protected:
    CreatureBodyPhysics* Segment(const std::string& position)
    {
        return MakeBody<CreatureBodyPhysics>(
            "segment", position,
            R"(type="PhysicsComponent_CreatureBodyPhysics" category="Dynamic" shape="AABB" size="1;1;1")");
    }
    Game::TransformComponent* Target(const std::string& position)
    {
        const auto element =
            ParseXml(R"(<Object name="target"><Transform position=")" + position + R"("/></Object>)");
        return game.CreateObject(static_cast<const IParserData*>(element.get()))
            ->GetComponent<Game::TransformComponent>();
    }
};

TEST_F(CreatureBodyPhysicsTest, ASegmentFollowsItsTargetsOffsetPoint)
{
    CreatureBodyPhysics* segment = Segment("0;0;0");
    EXPECT_EQ(segment->GetAttachedToTransform(), segment->GetTargetTransform());
    Step(0.016f, 10);
    EXPECT_EQ(TransformOf(segment).GetPosition(), glm::vec3(0.0f)) << "attached to itself it stays";

    Game::TransformComponent* target = Target("10;0;0");
    segment->SetAttachedToTransform(target);
    segment->SetOffset(glm::vec3(0.0f, 0.0f, 2.0f));
    for (int step = 0; step < 60; ++step)
    {
        target->SetPosition(target->GetPosition() + glm::vec3(0.1f, 0.0f, 0.0f));
        target->SetRotation(static_cast<float>(step) * 1.5f, glm::vec3(0.0f, 1.0f, 0.0f));
        Step(0.016f);
    }
    Step(0.016f, 300);
    const glm::vec3 expected =
        target->GetPosition() + glm::vec3(target->GetWorldMatrix() * glm::vec4(0, 0, 2, 0));
    EXPECT_LE(glm::distance(TransformOf(segment).GetPosition(), expected), std::sqrt(0.1f) + 1e-3f);
    EXPECT_GT(glm::distance(expected, target->GetPosition() + glm::vec3(0, 0, 2)), 1.0f) << "turned offset";
    EXPECT_GT(std::abs(glm::dot(TransformOf(segment).GetRotation(), target->GetRotation())), 0.999f);
}

TEST_F(CreatureBodyPhysicsTest, TheSegmentTurnsTheShortWay)
{
    CreatureBodyPhysics* segment = Segment("0;0;0");
    Game::TransformComponent* target = Target("0;0;0");
    target->SetRotation(90.0f, glm::vec3(0.0f, 1.0f, 0.0f));
    // The same rotation with the opposite sign: the dot product with the identity is negative.
    target->SetRotation(-target->GetRotation());
    segment->SetAttachedToTransform(target);
    const float dt = 0.016f;
    Step(dt);
    const glm::quat turned = TransformOf(segment).GetRotation();
    const glm::quat goal = -target->GetRotation();
    const float angle = std::acos(goal.w);
    const float t = 2.0f * dt;
    const glm::quat expected =
        (glm::quat(1, 0, 0, 0) * std::sin((1.0f - t) * angle) + goal * std::sin(t * angle)) / std::sin(angle);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_NEAR(turned[i], expected[i], 1e-6f) << i;
    }
    EXPECT_GT(turned.w, 0.99f) << "a small turn, not most of a full one";
    EXPECT_GT(turned.y, 0.0f);
}

TEST_F(CreatureBodyPhysicsTest, ASegmentWhoseTargetIsDestroyedStaysPut)
{
    CreatureBodyPhysics* segment = Segment("0;0;0");
    Game::TransformComponent* target = Target("4;0;0");
    segment->SetAttachedToTransform(target);
    Step(0.016f, 5);
    ASSERT_GT(glm::length(segment->GetVelocity()), 0.0f);
    game.MarkForDeletion(game.GetObject("target"));
    game.Update(0.0f);
    ASSERT_EQ(game.GetObject("target"), nullptr);
    Step(0.016f);
    const glm::vec3 left = TransformOf(segment).GetPosition();
    const glm::quat rotation = TransformOf(segment).GetRotation();
    Step(0.016f, 20);
    EXPECT_EQ(TransformOf(segment).GetPosition(), left);
    EXPECT_EQ(TransformOf(segment).GetRotation(), rotation);
    EXPECT_EQ(segment->GetAttachedToTransform(), segment->GetTargetTransform());
}
// A light body's spring in long frames: (k / m) dt² far beyond the explicit step's limit once made a
// segment of mass 0.01 overshoot further every step until its position overflowed.
TEST_F(CreatureBodyPhysicsTest, LightBodiesInLongFramesStayNearWhatPullsThem)
{
    auto* segment = MakeBody<CreatureBodyPhysics>(
        "segment", "0;0;0",
        R"(type="PhysicsComponent_CreatureBodyPhysics" category="Dynamic" shape="AABB" size="1;1;1" mass="0.01")");
    segment->SetAttachedToTransform(Target("4;3;0"));
    auto* spring = MakeBody<SpringPhysics>(
        "spring", "0;50;0",
        R"(type="PhysicsComponent_SpringPhysics" category="Dynamic" shape="AABB" size="1;1;1" mass="0.001")");
    game.Update(0.0f);
    TransformOf(spring).SetPosition(glm::vec3(2.0f, 50.0f, 0.0f));
    for (const float dt : {0.025f, 0.032f, 0.0f, 0.001f})
    {
        for (int step = 0; step < 120; ++step)
        {
            Step(dt);
            ASSERT_LE(glm::distance(TransformOf(segment).GetPosition(), glm::vec3(4, 3, 0)), 5.0f + 1e-4f)
                << dt << " " << step;
            ASSERT_LE(glm::distance(TransformOf(spring).GetPosition(), glm::vec3(0, 50, 0)), 2.0f + 1e-4f)
                << dt << " " << step;
        }
    }
    EXPECT_LE(glm::distance(TransformOf(segment).GetPosition(), glm::vec3(4, 3, 0)), std::sqrt(0.1f) + 1e-3f);
    EXPECT_LE(glm::distance(TransformOf(spring).GetPosition(), glm::vec3(0, 50, 0)), std::sqrt(0.1f) + 1e-3f);
}

// The creature behaviors make their segments in code, through the system.
TEST_F(CreatureBodyPhysicsTest, SegmentsMadeInCodeAreRegisteredOwnedAndDestroyed)
{
    const auto owner = ParseXml(R"(<Object name="creature"><Transform position="1;0;0"/></Object>)");
    Game::Object* creature = game.CreateObject(static_cast<const IParserData*>(owner.get()));
    const auto description = ParseXml(R"(<Physics category="Dynamic" shape="AABB" size="1;1;1" mass="2"/>)");
    auto* segment = physics.CreateComponentInCode<CreatureBodyPhysics>(creature, *description);
    ASSERT_NE(segment, nullptr);
    EXPECT_EQ(creature->GetComponent<CreatureBodyPhysics>(), segment);
    EXPECT_EQ(physics.GetDynamicComponents(), std::vector<Physics::Component*>{segment});
    EXPECT_EQ(segment->GetAttachedToTransform(), creature->GetComponent<Game::TransformComponent>());
    EXPECT_EQ(segment->GetMass(), 2.0f);
    segment->SetAttachedToTransform(Target("6;0;0"));
    Step(0.016f, 200);
    EXPECT_LE(glm::distance(TransformOf(segment).GetPosition(), glm::vec3(6, 0, 0)), std::sqrt(0.1f) + 1e-3f);

    physics.DeleteComponent(segment);
    EXPECT_EQ(creature->GetComponent<Physics::Component>(), nullptr);
    EXPECT_TRUE(physics.GetComponents().empty());
    EXPECT_TRUE(physics.GetDynamicComponents().empty());

    LogCapture log;
    const auto broken = ParseXml(R"(<Physics category="Floating"/>)");
    EXPECT_EQ(physics.CreateComponentInCode<CreatureBodyPhysics>(creature, *broken), nullptr);
    EXPECT_TRUE(log.ContainsWrapped("creature/CreatureBodyPhysics")) << log.Text();
    EXPECT_EQ(creature->GetComponent<Physics::Component>(), nullptr);
    EXPECT_TRUE(physics.GetComponents().empty());

    // Left to the owner: its release destroys the segment with it.
    ASSERT_NE(physics.CreateComponentInCode<CreatureBodyPhysics>(creature, *description), nullptr);
    game.MarkForDeletion(creature);
    game.Update(0.0f);
    EXPECT_TRUE(physics.GetComponents().empty());
}
} // namespace
} // namespace Morvane::Testing
