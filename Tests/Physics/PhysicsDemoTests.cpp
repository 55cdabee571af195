#include "Physics/PhysicsFactory/PhysicsFactory.h"
#include "Physics/PhysicsSystem.h"
#include "Platform/ExecutablePath.h"
#include "SceneRunner.h"
#include "SystemManager/SystemManager.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>

namespace
{
struct BodyLine
{
    float position[3] = {};
    float velocity[3] = {};
    int contacts = 0;
};

// The "body" lines of a scene report, by body name.
std::map<std::string, BodyLine> Bodies(const std::string& report)
{
    std::map<std::string, BodyLine> bodies;
    std::istringstream lines(report);
    std::string word;
    while (lines >> word)
    {
        if (word != "body")
        {
            continue;
        }
        std::string name;
        std::string category;
        BodyLine body;
        lines >> name >> category >> body.position[0] >> body.position[1] >> body.position[2] >>
            body.velocity[0] >> body.velocity[1] >> body.velocity[2] >> body.contacts;
        bodies[name] = body;
    }
    return bodies;
}

// The demo as the game ships it, with the data linked into the build folder; headless, as the tool runs
// it.
std::optional<std::string> RunDemo(long frames)
{
    const auto build =
        std::filesystem::path(Morvane::Platform::GetExecutablePath()).parent_path().parent_path();
    MorvanePhysics::RegisterHeadlessSystems(Morvane::SystemManager::GetInstance());
    Morvane::Physics::System::GetInstance().m_customComponentFactory = &CreateCustomPhysicsComponent;
    std::optional<std::string> report =
        MorvanePhysics::RunScene((build / "Configuration/PhysicsDemo.xml").string(), frames, true);
    Morvane::Physics::System::GetInstance().m_customComponentFactory = nullptr;
    return report;
}

TEST(PhysicsDemo, CubesAreKnockedTheSpringSettlesAndTheCharacterStandsOnTheThinFloor)
{
    const std::optional<std::string> report = RunDemo(300);
    ASSERT_TRUE(report);
    std::map<std::string, BodyLine> bodies = Bodies(*report);
    ASSERT_EQ(bodies.size(), 7u) << *report;
    EXPECT_NEAR(bodies["Character"].position[1], 1.05f, 1e-3f) << "stands on the floor's top";
    EXPECT_GT(bodies["CubeLeft"].position[0], -1.0f) << "knocked from where it stood";
    EXPECT_GT(bodies["CubeFalling"].position[1], 0.9f) << "stopped by the cubes or the rigid floor";
    EXPECT_LT(bodies["SpringBox"].position[2] * bodies["SpringBox"].position[2], 0.1f + 1e-4f);
    EXPECT_EQ(RunDemo(300), report);
    const std::optional<std::string> early = RunDemo(3);
    ASSERT_TRUE(early);
    bodies = Bodies(*early);
    EXPECT_NEAR(bodies["Character"].position[1], 0.05f, 1e-4f) << "pulled back to where it entered the floor";
}
} // namespace
