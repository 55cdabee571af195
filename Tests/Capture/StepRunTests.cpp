// Steered replays through the real game: `brimora --capture FILE` with <Steps> on the playground.
#include "Support/TempDirectory.h"
#include "Support/ToolRun.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <numbers>
#include <sstream>
#include <string>

namespace Morvane::Capture
{
namespace
{
using Testing::TempDirectory;
using Testing::ToolResult;

const std::string kPlayground = R"(width="160" height="100" draw="screenshots"
    configuration="$(LocalFolder)Configuration/Playground.xml")";

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

struct View
{
    double x = 0.0;
    double z = 0.0;
    double yaw = 0.0;
    double pitch = 0.0;
};

// The world camera of a dump: where it stands on the floor and where it looks, in degrees.
View ViewOf(const std::string& dump)
{
    const std::size_t line = dump.find("Camera 'Camera_World' position ");
    EXPECT_NE(line, std::string::npos) << dump;
    double position[3] = {};
    double target[3] = {};
    std::sscanf(dump.c_str() + line, "Camera 'Camera_World' position %lf;%lf;%lf target %lf;%lf;%lf",
                &position[0], &position[1], &position[2], &target[0], &target[1], &target[2]);
    const double x = target[0] - position[0];
    const double y = target[1] - position[1];
    const double z = target[2] - position[2];
    const double degrees = 180.0 / std::numbers::pi;
    return {position[0], position[2], std::atan2(x, -z) * degrees, std::atan2(y, std::hypot(x, z)) * degrees};
}

// The player starts at the centre looking along +x.
TEST(StepRun, FaceAndWalkReachTheirTargetsAndTwoRunsTraceTheSame)
{
    const std::string script = R"(<Capture frames="200" trace="trace.txt" )" + kPlayground + R"(>
        <Steps>
            <Face yaw="0"/><Dump path="faced.txt"/>
            <Walk to="3;0;-4"/>
            <Face to="0;0" pitch="-20"/><Dump path="turned.txt"/>
        </Steps></Capture>)";
    const TempDirectory first;
    const TempDirectory second;
    for (const TempDirectory* folder : {&first, &second})
    {
        const ToolResult result = Testing::RunGame("--capture " + folder->Write("run.xml", script));
        ASSERT_EQ(result.exitCode, 0) << result.output;
        EXPECT_NE(result.output.find("Step 5 <Dump> done"), std::string::npos) << result.output;
    }
    const std::string trace = ReadFile(first.Path() + "trace.txt");
    EXPECT_EQ(trace, ReadFile(second.Path() + "trace.txt"));
    EXPECT_EQ(trace.rfind("0 0.0000 1.0000 0.0000\n1 ", 0), 0u) << trace;
    EXPECT_NE(trace.find("\n199 "), std::string::npos) << trace;

    const View faced = ViewOf(ReadFile(first.Path() + "faced.txt"));
    EXPECT_NEAR(faced.yaw, 0.0, 1.5);
    EXPECT_NEAR(faced.pitch, 0.0, 0.1);
    const View turned = ViewOf(ReadFile(first.Path() + "turned.txt"));
    EXPECT_LT(std::hypot(turned.x - 3.0, turned.z + 4.0), 0.55);
    const double degrees = 180.0 / std::numbers::pi;
    EXPECT_NEAR(turned.yaw, std::atan2(-turned.x, turned.z) * degrees, 1.5);
    EXPECT_NEAR(turned.pitch, -20.0, 1.5);
}

// B toggles the player's infinite jump and says so: the wait ends on the frame after that line, and a
// wait from frame 0 also sees what start-up logged.
TEST(StepRun, WaitLogFinishesOnTheFrameAfterItsLine)
{
    const TempDirectory folder;
    const ToolResult result = Testing::RunGame(
        "--capture " + folder.Write("run.xml", R"(<Capture frames="20" )" + kPlayground + R"(>
        <Frame number="10"><Key key="B"/></Frame><Frame number="11"><Key key="B" down="false"/></Frame>
        <ExpectLog text="Infinite jump changed" by="10"/>
        <Steps><WaitLog text="Game pad 'Capture Pad' is pad 0"/><WaitLog text="Infinite jump changed"/></Steps>
    </Capture>)"));
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("Frame 0: Step 1 <WaitLog> done"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("Frame 11: Step 2 <WaitLog> done"), std::string::npos) << result.output;
}

TEST(StepRun, AStepPastItsTimeoutEndsTheRunAtOnceWithOne)
{
    const TempDirectory folder;
    const ToolResult result = Testing::RunGame(
        "--capture " +
        folder.Write("run.xml", R"(<Capture frames="300" trace="trace.txt" )" + kPlayground + R"(>
        <ExpectLog text="never either" by="3"/>
        <Steps><WaitLog text="never logged" timeout="0.1"/><Screenshot path="never.png"/></Steps>
    </Capture>)"));
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("Frame 7: Step 1 <WaitLog> did not finish within 0.1 s"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("No log line with 'never either' by frame 3"), std::string::npos)
        << result.output;
    EXPECT_EQ(result.output.find("The run ended after"), std::string::npos) << result.output;
    // Frames 0 to 7 ran: the failing frame finishes, then the game quits.
    const std::string trace = ReadFile(folder.Path() + "trace.txt");
    EXPECT_EQ(trace.substr(trace.rfind('\n', trace.size() - 2) + 1), "7 0.0000 1.0000 0.0000\n") << trace;

    // The first room has no player. Five frames are too few for the wait.
    const ToolResult outOfFrames =
        Testing::RunGame("--capture " + folder.Write("short.xml", R"(<Capture frames="5"
        trace="short.txt" width="32" height="20" configuration="$(LocalFolder)Configuration/FirstRoom.xml">
        <Steps><Wait seconds="1"/></Steps></Capture>)"));
    EXPECT_EQ(outOfFrames.exitCode, 1) << outOfFrames.output;
    EXPECT_NE(outOfFrames.output.find("The capture's 5 frames ran out during Step 1 <Wait>"),
              std::string::npos)
        << outOfFrames.output;
    EXPECT_EQ(ReadFile(folder.Path() + "short.txt"), "0 -\n1 -\n2 -\n3 -\n4 -\n");
}
} // namespace
} // namespace Morvane::Capture
