// The closing credits in the real game: each ending's credits archetype rolled at once over the render
// objects, played by capture scripts with keys and a pad, read back from object dumps, the log and a
// screenshot.
#include "Support/GameCapture.h"
#include "Support/Golden.h"
#include "Support/LevelRun.h"
#include "Support/TempDirectory.h"
#include "Support/ToolRun.h"
#include "Texture/ImageComparison.h"

#include <gtest/gtest.h>
#include <string>

namespace Morvane
{
namespace
{
using Testing::At;
using Testing::DumpAt;
using Testing::Press;
using Testing::ReadText;
using Testing::ShotAt;
using Testing::TempDirectory;

// 5 s of fade at the capture's 0.016 s step end on frame 313.
constexpr int kShown = 314;

// The menu's configuration with its world replaced by the render objects and the archetype's credits,
// made to roll as soon as they are made.
std::string CreditsConfiguration(const std::string& archetype)
{
    std::string configuration = ReadText(std::string(MORVANE_DATA_FOLDER) + "Configuration/Level_Menu.xml");
    std::string credits = ReadText(std::string(MORVANE_DATA_FOLDER) + "Archetypes/" + archetype);
    const auto replace = [](std::string& text, const std::string& from, const std::string& to)
    {
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos)
        {
            text.replace(at, from.size(), to);
        }
    };
    replace(credits, "<Object>", R"(<Object name="Final_Credits">)");
    replace(credits, R"(type="BehaviorComponent_Credits")",
            R"(type="BehaviorComponent_Credits" start="true")");
    replace(configuration, R"x(<GameSystem path="$(ConfigurationFolder)Levels/Menu.xml"/>)x",
            R"(<GameSystem path="$(ConfigurationFolder)Renderer.xml"><Objects>)" + credits +
                "</Objects></GameSystem>");
    return configuration;
}

struct CreditsRun
{
    TempDirectory folder;
    Testing::ToolResult result;

    void Play(const std::string& archetype, const std::string& events, int frames)
    {
        folder.Write("Credits.xml", CreditsConfiguration(archetype));
        result = Testing::RunGame(
            "--capture " + folder.Write("run.xml", "<Capture frames=\"" + std::to_string(frames) +
                                                       R"(" width="640" height="400" draw="screenshots" )"
                                                       R"(configuration="Credits.xml">)" +
                                                       events + "</Capture>"));
        ASSERT_EQ(result.exitCode, 0) << result.output;
    }
    bool HasCredits(const std::string& dump) const
    {
        return Testing::ReadWorldDump(folder.Path() + dump).CountNamed("Final_Credits") == 1;
    }
};

// Keys, Enter and a click during the fade change nothing; once it is done one key opens the menu.
TEST(CreditsCapture, KeysWaitForTheFadeThenOneReturnsToTheMenu)
{
    CreditsRun run;
    run.Play("FinalGoodCredits.xml",
             Press(60, "A") + Press(120, "Return") + Press(200, "Space") + Press(300, "R") +
                 At(240, R"(<MouseButton button="1" down="true"/>)") +
                 At(241, R"(<MouseButton button="1" down="false"/>)") + DumpAt(310, "fading.txt") +
                 ShotAt(kShown, "credits.png") + Press(kShown + 10, "Space") +
                 DumpAt(kShown + 40, "after.txt"),
             kShown + 41);
    EXPECT_TRUE(run.HasCredits("fading.txt"));
    EXPECT_FALSE(run.HasCredits("after.txt"));
    EXPECT_EQ(Testing::CountOf(run.result.output, "Page 'START'"), 1u) << run.result.output;

    Texture::RgbImage picture;
    std::string error;
    ASSERT_TRUE(Texture::ReadRgbPng(run.folder.Path() + "credits.png", picture, error)) << error;
    EXPECT_TRUE(Testing::MatchesGolden(picture, "Behavior/Credits_good.png"));
}

// The other ending, ended by the pad's Start button.
TEST(CreditsCapture, APadButtonEndsTheOtherEndingsCredits)
{
    CreditsRun run;
    run.Play("FinalBadCredits.xml",
             At(100, R"(<PadButton button="start" down="true"/>)") +
                 At(101, R"(<PadButton button="start" down="false"/>)") + ShotAt(kShown, "credits.png") +
                 At(kShown + 10, R"(<PadButton button="start" down="true"/>)") +
                 At(kShown + 11, R"(<PadButton button="start" down="false"/>)") +
                 DumpAt(kShown + 40, "after.txt"),
             kShown + 41);
    EXPECT_FALSE(run.HasCredits("after.txt"));
    EXPECT_EQ(Testing::CountOf(run.result.output, "Page 'START'"), 1u) << run.result.output;
    Texture::RgbImage picture;
    std::string error;
    ASSERT_TRUE(Texture::ReadRgbPng(run.folder.Path() + "credits.png", picture, error)) << error;
    EXPECT_TRUE(Testing::MatchesGolden(picture, "Behavior/Credits_bad.png"));
}
} // namespace
} // namespace Morvane
