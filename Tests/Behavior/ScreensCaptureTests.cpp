// The render controller's options and the screens under random input, through the real game: level 1 at
// each render quality and with FXAA off as the options file chooses them, and a seeded run of random
// keys, clicks and pad buttons over the splash, the menu, the loading screen and the game.
#include "Support/GameCapture.h"
#include "Support/Golden.h"
#include "Support/LevelRun.h"
#include "Support/TempDirectory.h"
#include "Support/ToolRun.h"
#include "Texture/ImageComparison.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace Morvane
{
namespace
{

using Testing::At;
using Testing::CountOf;
using Testing::ShotAt;
using Testing::TempDirectory;

struct Look
{
    const char* options;
    const char* golden;
};

Texture::RgbImage LevelOneWith(const std::string& options, const TempDirectory& folder)
{
    folder.Write("options.xml", options);
    const Testing::ToolResult result = Testing::RunGame(
        "--capture " +
        folder.Write("run.xml", "<Capture frames=\"90\" width=\"320\" height=\"200\" draw=\"screenshots\" "
                                "configuration=\"$(LocalFolder)Configuration/Level_Test.xml\" options=\"" +
                                    folder.Path() + "options.xml\">" + ShotAt(88, "level.png") +
                                    "</Capture>"));
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(CountOf(result.output, "READY TO GO"), 1u) << result.output;
    Texture::RgbImage picture;
    std::string error;
    EXPECT_TRUE(Texture::ReadRgbPng(folder.Path() + "level.png", picture, error)) << error;
    return picture;
}

// What the options file chooses reaches the level's picture: the quality's sharpness and FXAA.
TEST(ScreensCapture, TheLevelShowsTheChosenQualityAndFxaa)
{
    const Look looks[] = {
        {R"(<Options quality="0.25" fxaa="true"/>)", "Behavior/Level1_quality_0.25.png"},
        {R"(<Options quality="1.5" fxaa="true"/>)", "Behavior/Level1_quality_1.5.png"},
        {R"(<Options quality="1" fxaa="true"/>)", "Behavior/Level1_fxaa_on.png"},
        {R"(<Options quality="1" fxaa="false"/>)", "Behavior/Level1_fxaa_off.png"},
    };
    std::vector<Texture::RgbImage> pictures;
    for (const Look& look : looks)
    {
        SCOPED_TRACE(look.options);
        const TempDirectory folder;
        pictures.push_back(LevelOneWith(look.options, folder));
        EXPECT_TRUE(Testing::MatchesGolden(pictures.back(), look.golden));
    }
    ASSERT_EQ(pictures.size(), 4u);
    // Each choice changes the picture.
    EXPECT_GT(Texture::CompareImages(pictures[0], pictures[1]).failingPixels, 100u);
    EXPECT_GT(Texture::CompareImages(pictures[2], pictures[3]).failingPixels, 10u);
}

// Random input over every screen ends with no assertion, no error and (under the sanitizers) no leak.
TEST(ScreensCapture, RandomKeysClicksAndPadButtonsOverTheScreensBreakNothing)
{
    const char* const keys[] = {"Return", "Space", "Escape", "Up", "Down", "A", "R", "U", "1", "Backspace"};
    const char* const padButtons[] = {"a", "b", "start", "dpdown", "dpup"};
    std::mt19937 generator(2026);
    std::uniform_int_distribution<int> gap(2, 12);
    std::uniform_int_distribution<int> kind(0, 2);
    std::string events;
    constexpr int kFrames = 2000;
    for (int frame = 2; frame < kFrames - 2; frame += gap(generator))
    {
        switch (kind(generator))
        {
        case 0:
            events += Testing::Press(frame, keys[generator() % std::size(keys)]);
            break;
        case 1:
            events += At(frame, R"(<MouseMotion x=")" + std::to_string(generator() % 320) + R"(" y=")" +
                                    std::to_string(generator() % 200) +
                                    R"("/><MouseButton button="1" down="true"/>)") +
                      At(frame + 1, R"(<MouseButton button="1" down="false"/>)");
            break;
        default:
        {
            const std::string button = padButtons[generator() % std::size(padButtons)];
            events += At(frame, "<PadButton button=\"" + button + "\" down=\"true\"/>") +
                      At(frame + 1, "<PadButton button=\"" + button + "\" down=\"false\"/>");
        }
        }
    }
    const TempDirectory folder;
    const Testing::ToolResult result = Testing::RunGame(
        "--capture " + folder.Write("run.xml", "<Capture frames=\"" + std::to_string(kFrames) +
                                                   R"(" width="320" height="200" draw="screenshots" )"
                                                   R"(options=")" +
                                                   folder.Path() + "options.xml\">" + events + "</Capture>"));
    EXPECT_EQ(CountOf(result.output, "Assertion failed"), 0u) << result.output;
    EXPECT_EQ(CountOf(result.output, "Splash over"), 1u) << result.output;
    // "Exit" may well be clicked: the run then ends early, which is the only failure allowed.
    if (result.exitCode != 0)
    {
        EXPECT_NE(result.output.find("The run ended after"), std::string::npos) << result.output;
    }
}
} // namespace
} // namespace Morvane
