// The capture harness through the real game: `brimora --capture FILE`, headless, on the first room.
#include "Support/Golden.h"
#include "Support/TempDirectory.h"
#include "Support/ToolRun.h"
#include "Texture/ImageComparison.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace Morvane::Capture
{
namespace
{
using Testing::TempDirectory;
using Testing::ToolResult;

// Turns right and a little up, then walks forward for half a second, in a window small enough for the
// goldens. The first room is the project configuration. The free camera locks the mouse on frame 1, and
// motion gathered before a lock is dropped, so the turn comes on frame 2.
const char* const kTurnAndWalk = R"(<Capture step="0.016" frames="41" seed="7" width="160" height="100"
    configuration="$(LocalFolder)Configuration/FirstRoom.xml">
    <Frame number="0"><Dump path="start.txt"/></Frame>
    <Frame number="2"><MouseMotion dx="30" dy="-8"/></Frame>
    <Frame number="3"><Screenshot path="shots/Turn.png"/><Dump path="turned.txt"/></Frame>
    <Frame number="4"><Key key="W" down="true"/></Frame>
    <Frame number="36"><Key key="W" down="false"/></Frame>
    <Frame number="40"><Screenshot path="shots/Walk.png"/><Dump path="walked.txt"/></Frame>
</Capture>)";

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

// The dump's line for `name` ("Camera 'Camera_World'"), without the name.
std::string LineOf(const std::string& dump, const std::string& name)
{
    std::istringstream lines(dump);
    for (std::string line; std::getline(lines, line);)
    {
        if (line.rfind(name + " ", 0) == 0)
        {
            return line.substr(name.size() + 1);
        }
    }
    return "";
}

TEST(CaptureRun, TurnAndWalkAreRepeatableToTheByteAndMatchTheirGoldens)
{
    const TempDirectory first;
    const TempDirectory second;
    for (const TempDirectory* folder : {&first, &second})
    {
        const ToolResult result = Testing::RunGame("--capture " + folder->Write("run.xml", kTurnAndWalk));
        ASSERT_EQ(result.exitCode, 0) << result.output;
    }
    for (const char* file : {"shots/Turn.png", "shots/Walk.png", "start.txt", "turned.txt", "walked.txt"})
    {
        const std::string bytes = ReadFile(first.Path() + file);
        EXPECT_FALSE(bytes.empty()) << file;
        EXPECT_EQ(bytes, ReadFile(second.Path() + file)) << file;
    }
    for (const char* name : {"Turn", "Walk"})
    {
        Texture::RgbImage image;
        std::string error;
        ASSERT_TRUE(Texture::ReadRgbPng(first.Path() + "shots/" + name + ".png", image, error)) << error;
        EXPECT_EQ(image.width, 160);
        EXPECT_EQ(image.height, 100);
        EXPECT_TRUE(Testing::MatchesGolden(image, std::string("Capture/") + name + ".png"));
    }

    // One line per object in creation order, then the cameras; the turn moves only the target, the walk
    // the position too.
    const std::string start = ReadFile(first.Path() + "start.txt");
    // The render objects the room's file names first, then the room's own.
    EXPECT_EQ(
        start.rfind(
            "Object 'result' position 0;0;0 rotation 1;0;0;0 scale 1;1;1 colour 1;0.970000029;0.899999976;1 "
            "shown\n",
            0),
        0u)
        << start;
    const std::size_t room =
        start.find("Object 'BackgroundMusic' position 0;0;0 rotation 1;0;0;0 scale 1;1;1\n"
                   "Object 'Floor' position 0;-0.25;0 rotation 1;0;0;0 scale 20;0.5;20 colour "
                   "0.550000012;0.550000012;0.5;1 shown\n");
    EXPECT_NE(room, std::string::npos) << start;
    EXPECT_LT(start.find("Object 'Viewport'"), room) << start;
    const std::string camera = "Camera 'Camera_World'";
    const std::string startPosition = "position 0;1.70000005;8 target ";
    const std::string started = LineOf(start, camera);
    const std::string turned = LineOf(ReadFile(first.Path() + "turned.txt"), camera);
    const std::string walked = LineOf(ReadFile(first.Path() + "walked.txt"), camera);
    EXPECT_EQ(started.rfind(startPosition, 0), 0u) << start;
    EXPECT_EQ(turned.rfind(startPosition, 0), 0u) << turned;
    EXPECT_NE(turned, started);
    EXPECT_EQ(walked.rfind("position ", 0), 0u) << walked;
    EXPECT_EQ(walked.rfind(startPosition, 0), std::string::npos) << walked;
}

// The first room at its full size: the welcome caption reads across the top in the shipped font.
TEST(CaptureRun, TheFirstRoomShowsItsWelcomeCaption)
{
    const TempDirectory folder;
    const ToolResult result = Testing::RunGame(
        "--capture " + folder.Write("run.xml", R"(<Capture frames="2" width="1280" height="800"
        configuration="$(LocalFolder)Configuration/FirstRoom.xml">
        <Frame number="1"><Screenshot path="Welcome.png"/></Frame></Capture>)"));
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output.find("is not in the font"), std::string::npos) << result.output;
    Texture::RgbImage image;
    std::string error;
    ASSERT_TRUE(Texture::ReadRgbPng(folder.Path() + "Welcome.png", image, error)) << error;
    EXPECT_TRUE(Testing::MatchesGolden(image, "Capture/Welcome.png"));
}

// A run that is to end with the game quitting fails when the frames run out first.
TEST(CaptureRun, ARunThatShouldQuitFailsWhenTheGameKeepsRunning)
{
    const TempDirectory folder;
    const ToolResult result = Testing::RunGame("--capture " + folder.Write("run.xml", R"(<Capture frames="2"
        quits="true" configuration="$(LocalFolder)Configuration/FirstRoom.xml"/>)"));
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("The game did not quit within 2 frames"), std::string::npos)
        << result.output;
}

TEST(CaptureRun, BadScriptsExitWithTwoBeforeAnyFrame)
{
    const TempDirectory folder;
    const std::pair<const char*, const char*> cases[] = {
        {R"(<Capture frames="3"><Frame number="1"><Key key="NoSuchKey"/></Frame></Capture>)",
         "Unknown key 'NoSuchKey'"},
        {R"(<Capture frames="3"><Frame number="3"><Screenshot path="a.png"/></Frame></Capture>)",
         "Frame 3 is past the capture's 3 frames"},
        {R"(<Capture frames="3" step="fast"/>)", "<Capture>: 'step' is 'fast', not a number from"},
        {R"(<Capture step="0.016"/>)", "<Capture> needs 'frames'"},
        {R"(<Capture frames="3"><Steps><Walk within="1"/></Steps></Capture>)", "Step 1 <Walk> needs 'to'"},
        {R"(<Replay frames="3"/>)", "A capture file holds a <Capture> element, not <Replay>"},
    };
    for (const auto& [script, message] : cases)
    {
        const ToolResult result = Testing::RunGame("--capture " + folder.Write("bad.xml", script));
        EXPECT_EQ(result.exitCode, 2) << script << "\n" << result.output;
        EXPECT_NE(result.output.find(message), std::string::npos) << message << "\n" << result.output;
        EXPECT_EQ(result.output.find("The system"), std::string::npos) << "started up for " << script;
    }
    const ToolResult missing = Testing::RunGame("--capture " + folder.Path() + "missing.xml");
    EXPECT_EQ(missing.exitCode, 2) << missing.output;
    EXPECT_NE(missing.output.find("Could not read the capture file"), std::string::npos) << missing.output;
}

TEST(CaptureRun, CommandLineTakesOneCaptureAndOneConfigurationOnly)
{
    for (const char* arguments : {"--capture a.xml --record b.xml", "--record", "--capture", "a.xml b.xml",
                                  "--capture a --capture b", "-v"})
    {
        const ToolResult result = Testing::RunGame(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments << "\n" << result.output;
        EXPECT_NE(result.output.find("usage: brimora [--capture FILE | --record FILE] [CONFIGURATION]"),
                  std::string::npos)
            << arguments << "\n"
            << result.output;
    }
}

TEST(CaptureRun, UnwritableScreenshotOrTraceExitsWithOne)
{
    const TempDirectory folder;
    // A file where the screenshot's folder should be.
    folder.Write("blocked", "");
    const std::string script =
        folder.Write("run.xml", R"(<Capture frames="2" draw="screenshots" width="32" height="20"
        trace="blocked/trace.txt">
        <Frame number="1"><Screenshot path="blocked/a.png"/><Screenshot path="fine.png"/></Frame>
    </Capture>)");
    const ToolResult result = Testing::RunGame("--capture " + script);
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(
        result.output.find("Frame 1: could not write the screenshot '" + folder.Path() + "blocked/a.png'"),
        std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("1 of 2 screenshots were written"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("Could not write the trace '" + folder.Path() + "blocked/trace.txt'"),
              std::string::npos)
        << result.output;
    Texture::RgbImage image;
    std::string error;
    EXPECT_TRUE(Texture::ReadRgbPng(folder.Path() + "fine.png", image, error)) << error;
}

// A picture beside the script, shown over the whole window; the files system watches it.
const char* const kShowPicture = R"(<ProjectConfiguration>
    <Constants path="$(LocalFolder)Configuration/Constants/OpenGL.xml"/>
    <SystemsConfiguration>
        <InitOrder><Window/><InputSystem/><FileSystem/><ResourceSystem/><GraphicsSystem/><GameSystem/></InitOrder>
        <UpdateOrder><Window/><InputSystem/><FileSystem/><GameSystem/><ResourceSystem/><GraphicsSystem/></UpdateOrder>
        <ReleaseOrder><FileSystem/><GameSystem/><ResourceSystem/><GraphicsSystem/><InputSystem/><Window/></ReleaseOrder>
    </SystemsConfiguration>
    <ResourceSystem>
        <Pack name="Shaders" path="$(LocalFolder)Resources/Shaders.xml"/>
        <Pack name="Meshes" path="$(LocalFolder)Resources/Meshes.xml"/>
        <Texture name="Texture_Picture" path="$(CaptureFolder)Picture.png"/>
    </ResourceSystem>
    <Initialize/>
    <GraphicsSystem>
        <Camera name="Camera_GUI" mode="Orthogonal" position="0;0;1" target="0;0;0" width="1280" height="800"
                nearPlane="0.1" farPlane="10" adaptToWindow="true"/>
        <Set name="Viewport"/>
        <PassConfiguration>
            <Pass name="Viewport_pass">
                <Command type="SetFrameBuffer"/>
                <Command type="Viewport" camera="Camera_GUI"/>
                <Command type="Depth" enabled="false" write="false"/>
                <Command type="ClearColorBuffer" color="0;0;0;1"/>
                <Command type="Render" set="Viewport" shader="Shader_DiffuseTexture" camera="Camera_GUI"/>
            </Pass>
        </PassConfiguration>
    </GraphicsSystem>
    <GameSystem>
        <Object name="Viewport">
            <Transform/>
            <Graphics renderable="Mesh_ScreenQuad" texture="Texture_Picture" renderSets="Viewport"/>
        </Object>
    </GameSystem>
</ProjectConfiguration>)";

std::vector<std::uint8_t> MiddleOf(const std::string& path)
{
    Texture::RgbImage image;
    std::string error;
    EXPECT_TRUE(Texture::ReadRgbPng(path, image, error)) << error;
    const auto at = static_cast<std::size_t>(((image.height / 2) * image.width + image.width / 2) * 3);
    return image.rgb.size() < at + 3
               ? std::vector<std::uint8_t>{}
               : std::vector<std::uint8_t>(image.rgb.begin() + static_cast<long>(at),
                                           image.rgb.begin() + static_cast<long>(at + 3));
}

// The script rewrites the watched picture on its frame and presses F9, which reaches the files system
// as a player's would: the new picture shows from then on. A copy that cannot be made fails the run.
TEST(CaptureRun, CopyFileRewritesAWatchedFileOnItsFrameForF9)
{
    const TempDirectory folder;
    const auto solid = [](std::uint8_t red, std::uint8_t green)
    {
        Texture::RgbImage image{4, 4, {}};
        for (int texel = 0; texel < 16; ++texel)
        {
            image.rgb.insert(image.rgb.end(), {red, green, 0});
        }
        return image;
    };
    ASSERT_TRUE(Texture::WriteRgbPng(folder.Path() + "Picture.png", solid(255, 0)));
    ASSERT_TRUE(Texture::WriteRgbPng(folder.Path() + "Green.png", solid(0, 255)));
    folder.Write("Show.xml", kShowPicture);
    const ToolResult result = Testing::RunGame(
        "--capture " +
        folder.Write("run.xml", R"(<Capture frames="4" width="32" height="20" configuration="Show.xml">
        <Frame number="1"><Screenshot path="before.png"/></Frame>
        <Frame number="2"><CopyFile from="Green.png" to="Picture.png"/><Key key="F9"/></Frame>
        <Frame number="3"><Key key="F9" down="false"/><CopyFile from="Missing.png" to="Picture.png"/>
            <Screenshot path="after.png"/></Frame></Capture>)"));
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("Frame 2: copied '" + folder.Path() + "Green.png' to '" + folder.Path() +
                                 "Picture.png'"),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("Frame 3: could not copy '" + folder.Path() + "Missing.png' to '" +
                                 folder.Path() + "Picture.png': "),
              std::string::npos)
        << result.output;
    EXPECT_EQ(MiddleOf(folder.Path() + "before.png"), (std::vector<std::uint8_t>{255, 0, 0}));
    EXPECT_EQ(MiddleOf(folder.Path() + "after.png"), (std::vector<std::uint8_t>{0, 255, 0}));
}
} // namespace
} // namespace Morvane::Capture
