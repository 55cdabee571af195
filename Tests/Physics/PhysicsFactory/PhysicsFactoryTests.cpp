#include "LogCapture.h"
#include "Physics/CharacterPhysics/CharacterPhysics.h"
#include "Physics/GameBodies.h"
#include "Physics/RigidBody/RigidBody.h"
#include "Physics/SpringPhysics/SpringPhysics.h"

#include <gtest/gtest.h>

namespace Morvane::Testing
{
namespace
{
class PhysicsFactoryTest : public GameBodies
{
protected:
    void SetUp() override
    {
        GameBodies::SetUp();
        physics.m_customComponentFactory = &CreateCustomPhysicsComponent;
    }
};

constexpr const char* kDynamicBox = R"(category="Dynamic" shape="AABB" size="1;1;1")";

TEST_F(PhysicsFactoryTest, EachTypeBuildsItsClassWhichCannotBeSaved)
{
    struct Case
    {
        const char* type;
        const char* className;
        bool (*isKind)(const Physics::Component*);
    };
    const Case cases[] = {
        {"PhysicsComponent_CharacterPhysics", "CharacterPhysics",
         [](const Physics::Component* c) { return dynamic_cast<const CharacterPhysics*>(c) != nullptr; }},
        {"PhysicsComponent_SpringPhysics", "SpringPhysics",
         [](const Physics::Component* c) { return dynamic_cast<const SpringPhysics*>(c) != nullptr; }},
        {"PhysicsComponent_RigidBody", "RigidBody",
         [](const Physics::Component* c) { return dynamic_cast<const RigidBody*>(c) != nullptr; }},
    };
    for (const Case& kind : cases)
    {
        Game::Object* object =
            Body(kind.className, "0;0;0", std::string("type=\"") + kind.type + "\" " + kDynamicBox);
        const Physics::Component* body = BodyOf(object);
        ASSERT_NE(body, nullptr) << kind.type;
        EXPECT_TRUE(kind.isKind(body)) << kind.type;
        EXPECT_EQ(physics.GetDynamicComponents().back(), body);
        LogCapture log;
        auto saved = ParseXml("<Objects/>");
        EXPECT_FALSE(object->Save(saved.get()));
        EXPECT_TRUE(log.Contains(std::string("Component '") + kind.className + "' could not save properly"))
            << log.Text();
    }
}

TEST_F(PhysicsFactoryTest, UnknownAndCreatureTypesAreRefused)
{
    for (const std::string type :
         {"PhysicsComponent_CreatureBodyPhysics", "PhysicsComponent_Spring", "RigidBody"})
    {
        LogCapture log;
        Game::Object* object = Body("refused", "0;0;0", "type=\"" + type + "\" " + kDynamicBox);
        ASSERT_NE(object, nullptr) << type;
        EXPECT_EQ(BodyOf(object), nullptr);
        EXPECT_TRUE(log.Contains("Unrecognized physics component type '" + type + "'")) << log.Text();
        EXPECT_TRUE(log.Contains("Custom physics factory"));
        EXPECT_TRUE(log.Contains("Could not create component 'Physics'")) << log.Text();
        EXPECT_TRUE(physics.GetComponents().empty());
        game.Release();
    }
    LogCapture log;
    const auto untyped = ParseXml(R"(<Physics category="Dynamic"/>)");
    Game::Object* owner = game.CreateObject("owner");
    EXPECT_EQ(CreateCustomPhysicsComponent(owner, untyped.get()), nullptr);
    EXPECT_EQ(CreateCustomPhysicsComponent(owner, nullptr), nullptr);
    EXPECT_EQ(CountOf(log.Text(), "No component type"), 2u);
}

TEST_F(PhysicsFactoryTest, BaseFailuresAreReportedPerClassAndDropped)
{
    // The test factory also builds creature segments, as the creature behaviors do in code.
    GameBodies::SetUp();
    for (const std::string className :
         {"CharacterPhysics", "SpringPhysics", "RigidBody", "CreatureBodyPhysics"})
    {
        LogCapture log;
        Game::Object* object =
            Body("broken", "0;0;0", "type=\"PhysicsComponent_" + className + R"(" category="Floating")");
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(BodyOf(object), nullptr) << className;
        const std::string& text = log.Text();
        const std::size_t base = text.find("Unknown type of physics");
        const std::size_t mine = text.find("Base could not parse");
        ASSERT_NE(base, std::string::npos) << text;
        ASSERT_NE(mine, std::string::npos) << text;
        EXPECT_LT(base, mine);
        EXPECT_TRUE(ContainsWrapped(text, "broken/" + className)) << text;
        EXPECT_TRUE(physics.GetComponents().empty());
        EXPECT_TRUE(physics.GetDynamicComponents().empty());
        game.Release();
    }
}
} // namespace
} // namespace Morvane::Testing
