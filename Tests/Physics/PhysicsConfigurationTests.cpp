#include "Component/GameSystem.h"
#include "Parsing/FileParser/FileParser.h"
#include "Physics/PhysicsComponent.h"
#include "Physics/PhysicsSystem.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "SystemManager/SystemManager.h"

#include <gtest/gtest.h>
#include <string>

namespace Morvane::Physics
{
namespace
{
std::string Configuration(const std::string& objects)
{
    return R"(<ProjectConfiguration><SystemsConfiguration>
        <InitOrder><GameSystem/><PhysicsSystem/></InitOrder><UpdateOrder><GameSystem/><PhysicsSystem/></UpdateOrder>
        <ReleaseOrder><GameSystem/><PhysicsSystem/></ReleaseOrder></SystemsConfiguration><Initialize/>
        <GameSystem><Objects>)" +
           objects + "</Objects></GameSystem></ProjectConfiguration>";
}

std::string Box(const std::string& name, const std::string& position, const std::string& category)
{
    return "<Object name=\"" + name + "\"><Transform position=\"" + position +
           "\"/><Physics shape=\"AABB\" size=\"2;2;2\" category=\"" + category + "\"/></Object>";
}

// Switching configurations releases the game, whose objects hand their bodies back: nothing of the first
// level's bodies stays in the lists, the grid or another body's contacts.
TEST(PhysicsConfiguration, SwitchingConfigurationsLeavesOnlyTheNewBodies)
{
    const Testing::TempDirectory folder;
    const std::string first = folder.Write("First.xml", Configuration(Box("crate", "0;1.9;0", "Dynamic") +
                                                                      Box("floor", "0;0;0", "Static") +
                                                                      Box("lift", "5;0;0", "Kinematic")));
    const std::string second = folder.Write("Second.xml", Configuration(Box("ball", "100;1.5;0", "Dynamic") +
                                                                        Box("ground", "100;0;0", "Static")));
    SystemManager& manager = SystemManager::GetInstance();
    int clockReads = 0;
    std::uint32_t now = 0;
    manager.SetClock(
        [&]
        {
            // Two reads a frame: the switch happens at the end of the first frame, quit after the third.
            manager.quit = ++clockReads == 6;
            return now += 16;
        });
    {
        FileParser parser;
        IParserData* tree = parser.Parse(first);
        ASSERT_NE(tree, nullptr);
        ASSERT_TRUE(manager.Initialize(tree));
    }
    System& physics = System::GetInstance();
    ASSERT_EQ(physics.GetComponents().size(), 3u);
    manager.pendingConfiguration = second;
    manager.Run();
    ASSERT_EQ(physics.GetComponents().size(), 2u);
    EXPECT_EQ(physics.GetDynamicComponents().size(), 1u);
    EXPECT_TRUE(physics.GetKinematicComponents().empty());
    ASSERT_EQ(physics.GetStaticComponents().size(), 1u);
    EXPECT_TRUE(physics.GetUseGrid());
    const Component* ball = physics.GetDynamicComponents()[0];
    ASSERT_EQ(ball->GetContacts().size(), 1u);
    EXPECT_EQ(ball->GetContacts()[0].other, physics.GetStaticComponents()[0]);
    manager.Release();
    EXPECT_TRUE(physics.GetComponents().empty());
    EXPECT_EQ(Game::System::GetInstance().GetObjectCount(), 0u);
}

// The debug drawing follows the configuration's physics element: on where it says so, off by default even
// after a configuration that had it on.
TEST(PhysicsConfiguration, TheSystemElementSwitchesTheDebugDrawing)
{
    System& physics = System::GetInstance();
    ASSERT_TRUE(physics.Parse(Testing::ParseXml(R"(<PhysicsSystem debugDraw="true"/>)").get()));
    EXPECT_TRUE(physics.GetDebugDraw());
    ASSERT_TRUE(physics.Parse(Testing::ParseXml("<PhysicsSystem/>").get()));
    EXPECT_FALSE(physics.GetDebugDraw());
}
} // namespace
} // namespace Morvane::Physics
