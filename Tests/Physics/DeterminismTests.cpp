#include "SceneRunner.h"
#include "Support/TempDirectory.h"
#include "Support/ToolRun.h"

#include <gtest/gtest.h>
#include <string>

namespace
{
// The scene of Tools/morvane-physics/make-scene.py after 200 frames. A change here means the step's
// results changed: say why in the commit.
constexpr const char* kSceneHash = "hash 88b774e32e9dcd6e\n";
constexpr long kFrames = 200;

using Result = Morvane::Testing::ToolResult;

// Standard error is dropped unless `redirection` says otherwise.
Result RunTool(const std::string& arguments, const std::string& redirection = "2>/dev/null")
{
    return Morvane::Testing::RunTool("morvane-physics", arguments, redirection);
}

std::string LastLine(const std::string& text)
{
    const std::size_t start = text.rfind('\n', text.size() >= 2 ? text.size() - 2 : 0);
    return start == std::string::npos ? text : text.substr(start + 1);
}

TEST(PhysicsDeterminism, OneSceneGivesOneHashTwiceInAProcessAndWithoutTheGrid)
{
    const std::optional<std::string> first = MorvanePhysics::RunScene(MORVANE_PHYSICS_SCENE, kFrames, true);
    const std::optional<std::string> second = MorvanePhysics::RunScene(MORVANE_PHYSICS_SCENE, kFrames, true);
    const std::optional<std::string> allPairs =
        MorvanePhysics::RunScene(MORVANE_PHYSICS_SCENE, kFrames, false);
    ASSERT_TRUE(first && second && allPairs);
    EXPECT_EQ(LastLine(*first), kSceneHash);
    EXPECT_EQ(*first, *second);
    EXPECT_EQ(*first, *allPairs);
    // Bodies touch at the end, so the contacts take part in the hash.
    EXPECT_NE(first->find("\ncontact "), std::string::npos);
}

TEST(PhysicsDeterminism, TheToolGivesTheSameHashInEveryProcess)
{
    const Result grid = RunTool(std::string("'") + MORVANE_PHYSICS_SCENE + "' 200");
    const Result again = RunTool(std::string("'") + MORVANE_PHYSICS_SCENE + "' 200");
    const Result allPairs = RunTool(std::string("'") + MORVANE_PHYSICS_SCENE + "' 200 --no-grid");
    ASSERT_EQ(grid.exitCode, 0);
    EXPECT_EQ(LastLine(grid.output), kSceneHash);
    EXPECT_EQ(grid.output, again.output);
    EXPECT_EQ(grid.output, allPairs.output);
    // Nothing but the report reaches standard output: the hash covers exactly the lines above it.
    const std::string lines = grid.output.substr(0, grid.output.size() - LastLine(grid.output).size());
    char expected[32];
    std::snprintf(expected, sizeof expected, "hash %016llx\n",
                  static_cast<unsigned long long>(MorvanePhysics::Fnv1a(lines)));
    EXPECT_EQ(LastLine(grid.output), expected);
    for (std::size_t start = 0; start < lines.size();)
    {
        const std::size_t end = lines.find('\n', start);
        const std::string line = lines.substr(start, end - start);
        EXPECT_TRUE(line.rfind("body ", 0) == 0 || line.rfind("contact ", 0) == 0) << line;
        start = end + 1;
    }
}

TEST(PhysicsDeterminism, ToolReportsBadArgumentsAndFailedConfigurations)
{
    for (const char* arguments :
         {"", "one", "a.xml 10 --grid", "a.xml -1", "a.xml 12x", "a.xml 10 --no-grid x"})
    {
        const Result bad = RunTool(arguments, "2>&1");
        EXPECT_EQ(bad.exitCode, 2) << arguments;
        EXPECT_NE(bad.output.find("usage: morvane-physics"), std::string::npos) << arguments;
    }
    const Morvane::Testing::TempDirectory folder;
    const std::string broken = folder.Write("Broken.xml", "<ProjectConfiguration><Initialize/>");
    const Result failed = RunTool("'" + broken + "' 5", "2>&1");
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.output.find("failed"), std::string::npos);
    // A body is printed in creation order with its contacts; a deleted other body reads "-".
    const std::string scene = folder.Write("Two.xml", R"(<ProjectConfiguration><SystemsConfiguration>
            <InitOrder><GameSystem/><PhysicsSystem/></InitOrder><UpdateOrder><GameSystem/><PhysicsSystem/></UpdateOrder>
            <ReleaseOrder><GameSystem/><PhysicsSystem/></ReleaseOrder></SystemsConfiguration><Initialize/>
            <GameSystem><Objects>
                <Object name="b"><Transform position="1.5;0;0"/><Physics shape="AABB" size="2;2;2" category="Static"/></Object>
                <Object name="a"><Transform/><Physics shape="AABB" size="2;2;2" category="Dynamic"/></Object>
            </Objects></GameSystem></ProjectConfiguration>)");
    const Result two = RunTool("'" + scene + "' 1");
    ASSERT_EQ(two.exitCode, 0);
    EXPECT_EQ(two.output.substr(0, two.output.size() - LastLine(two.output).size()),
              "body b Static 1.5 0 0 0 0 0 1\n"
              "contact a -0.5 0 0 -0.5\n"
              "body a Dynamic 0 0 0 0 0 0 1\n"
              "contact b 0.5 -0 -0 -0.5\n");
}
} // namespace
