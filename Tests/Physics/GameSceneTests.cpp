#include "Physics/CharacterPhysics/CharacterPhysics.h"
#include "Physics/CreatureBodyPhysics/CreatureBodyPhysics.h"
#include "Physics/GameBodies.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace Morvane::Testing
{
namespace
{
class GameSceneTest : public GameBodies
{
protected:
    // Every kind at once: rigid cubes on a heavy rigid floor, a spring box, a character falling on a
    // thin floor and a segment following a cube. Returns every transform after `steps` steps.
    std::vector<float> RunScene(int steps)
    {
        MakeCube("rigidFloor", "0;-2;0", R"(type="PhysicsComponent_RigidBody" category="Static" mass="0")",
                 R"(scale="20;1;20")");
        Game::Object* cube = Body("cube", "0.4;3;0.2",
                                  R"(type="PhysicsComponent_RigidBody" category="Dynamic" )"
                                  R"(mass="1" shape="ConvexPolyhedra")",
                                  R"(rotationDegrees="30" rotationAxis="0;1;0")");
        BuildShape(static_cast<Physics::ConvexPolyhedra&>(*BodyOf(cube)->GetShape()), CubeMesh());
        MakeCube("resting", "0;0;0", R"(type="PhysicsComponent_RigidBody" category="Dynamic" mass="1")");
        MakeBody(
            "spring", "6;0;0",
            R"(type="PhysicsComponent_SpringPhysics" category="Dynamic" shape="AABB" size="1;1;1" velocity="0;0;9")");
        MakeBody(
            "player", "-6;3;0",
            R"(type="PhysicsComponent_CharacterPhysics" category="Dynamic" shape="AABB" size="1;1;1" velocity="0;-150;0")");
        MakeBody("thinFloor", "-6;0;0", R"(category="Static" shape="AABB" size="4;0.1;4" mass="0")");
        auto* segment = MakeBody<CreatureBodyPhysics>(
            "segment", "3;3;3", R"(type="PhysicsComponent_CreatureBodyPhysics" category="Dynamic")");
        segment->SetAttachedToTransform(cube->GetComponent<Game::TransformComponent>());
        segment->SetOffset(glm::vec3(0.0f, 2.0f, 0.0f));
        game.Update(0.0f);
        Step(0.016f, steps);
        std::vector<float> state;
        for (const Physics::Component* body : physics.GetComponents())
        {
            const Game::TransformComponent& transform = TransformOf(body);
            for (int axis = 0; axis < 3; ++axis)
            {
                state.push_back(transform.GetPosition()[axis]);
            }
            for (int axis = 0; axis < 4; ++axis)
            {
                state.push_back(transform.GetRotation()[axis]);
            }
        }
        game.Release();
        physics.Release();
        return state;
    }
};

TEST_F(GameSceneTest, ASceneRunTwiceGivesTheSameTransforms)
{
    const std::vector<float> first = RunScene(240);
    const std::vector<float> second = RunScene(240);
    ASSERT_EQ(first.size(), 7u * 7u);
    ASSERT_EQ(first.size(), second.size());
    EXPECT_EQ(std::memcmp(first.data(), second.data(), first.size() * sizeof(float)), 0);
    const std::vector<float> early = RunScene(10);
    EXPECT_NE(std::memcmp(first.data(), early.data(), first.size() * sizeof(float)), 0);
}
} // namespace
} // namespace Morvane::Testing
