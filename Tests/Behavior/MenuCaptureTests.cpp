// The main menu in the real game: the shipped project configuration played by capture scripts with keys,
// the mouse and a pad, read back from the log, object dumps, options files and screenshots.
#include "Support/GameCapture.h"
#include "Support/Golden.h"
#include "Support/LevelRun.h"
#include "Support/LogCapture.h"
#include "Support/TempDirectory.h"
#include "Support/ToolRun.h"
#include "Texture/ImageComparison.h"

#include <cmath>
#include <filesystem>
#include <glm/geometric.hpp>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace Morvane
{
namespace
{
using Testing::At;
using Testing::CountOf;
using Testing::DumpAt;
using Testing::Key;
using Testing::Press;
using Testing::ReadText;
using Testing::ShotAt;
using Testing::TempDirectory;
using Testing::WorldDump;

const char* const kMenu = "$(LocalFolder)Configuration/Level_Menu.xml";

struct MenuRun
{
    TempDirectory folder;
    Testing::ToolResult result;

    WorldDump Dump(const std::string& name) const { return Testing::ReadWorldDump(folder.Path() + name); }
};

// Plays `events` over `frames` frames of the given configuration in a window of the given size.
void Play(MenuRun& run, const std::string& events, int frames, const std::string& attributes = "",
          const std::string& configuration = kMenu, const std::string& width = "320",
          const std::string& height = "200")
{
    run.result = Testing::RunGame(
        "--capture " +
        run.folder.Write("run.xml", "<Capture frames=\"" + std::to_string(frames) + "\" width=\"" + width +
                                        "\" height=\"" + height +
                                        "\" draw=\"screenshots\" "
                                        "configuration=\"" +
                                        configuration + "\" " + attributes + ">" + events + "</Capture>"));
}

std::string MoveTo(int frame, const std::string& object)
{
    return At(frame, "<MouseMotion object=\"" + object + "\"/>");
}

// A left click: pressed on `frame`, released on the next.
std::string Click(int frame)
{
    return At(frame, R"(<MouseButton button="1" down="true"/>)") +
           At(frame + 1, R"(<MouseButton button="1" down="false"/>)");
}

std::string PadPress(int frame, const std::string& button)
{
    return At(frame, "<PadButton button=\"" + button + "\" down=\"true\"/>") +
           At(frame + 1, "<PadButton button=\"" + button + "\" down=\"false\"/>");
}

using Pages = std::vector<std::string>;

// The pages the menu showed, in order.
std::vector<std::string> PagesShown(const std::string& log)
{
    std::vector<std::string> pages;
    const std::string marker = "Page '";
    for (std::size_t at = log.find(marker); at != std::string::npos; at = log.find(marker, at + 1))
    {
        const std::size_t begin = at + marker.size();
        pages.push_back(log.substr(begin, log.find('\'', begin) - begin));
    }
    return pages;
}

TEST(MenuCapture, KeysMoveTheFocusStopAtTheEndsClickAndGoBack)
{
    MenuRun run;
    Play(run,
         DumpAt(2, "start.txt") + Press(3, "Down") + Press(6, "Return") + DumpAt(8, "options.txt") +
             Press(9, "S") + Press(12, "Space") + DumpAt(14, "volume.txt") + Press(15, "Escape") +
             // Held for about a second: Options, Credits, Exit, then it stays on Exit.
             At(18, Key("Down")) + At(80, Key("Down", false)) + Press(82, "Up") + Press(85, "Return") +
             DumpAt(87, "credits.txt") + Press(88, "Backspace") + Press(91, "W") + Press(94, "S") +
             Press(97, "Return"),
         100);
    ASSERT_EQ(run.result.exitCode, 0) << run.result.output;
    const std::string& log = run.result.output;
    EXPECT_EQ(PagesShown(log), (Pages{"START", "OPTIONS", "START", "CREDITS", "START", "OPTIONS"})) << log;

    const WorldDump start = run.Dump("start.txt");
    EXPECT_EQ(start.captions.at("Title"), "Brimora");
    EXPECT_EQ(start.captions.at("Start"), "New game");
    EXPECT_TRUE(start.shown.at("Exit"));
    EXPECT_FALSE(start.shown.at("Option_Volume"));
    EXPECT_FALSE(start.shown.at("BACK"));

    const WorldDump options = run.Dump("options.txt");
    EXPECT_FALSE(options.shown.at("Start"));
    EXPECT_TRUE(options.shown.at("Back"));
    const std::vector<std::pair<const char*, const char*>> captions = {
        {"Option_FullScreen", "Switch full screen"},
        {"Option_Volume", "Volume: 10"},
        // A capture of this size starts at the lowest quality.
        {"Option_Quality", "Quality: Low"},
        {"Option_Fxaa", "FXAA: Yes"},
        {"Option_InvertY", "Invert Y: No"},
        {"Option_Sensitivity", "Sensitivity: 5"},
        {"Back", "Back"}};
    for (const auto& [name, caption] : captions)
    {
        EXPECT_EQ(options.captions.at(name), caption) << name;
        EXPECT_TRUE(options.shown.at(name)) << name;
    }
    EXPECT_EQ(run.Dump("volume.txt").captions.at("Option_Volume"), "Volume: 0");
    EXPECT_EQ(run.Dump("volume.txt").settings.volume, 0.0f);

    const WorldDump credits = run.Dump("credits.txt");
    EXPECT_TRUE(credits.shown.at("BACK"));
    EXPECT_TRUE(credits.shown.at("Credits_Heading"));
    EXPECT_FALSE(credits.shown.at("Exit"));
    EXPECT_EQ(CountOf(log, "Level loaded"), 0u) << log;
}

TEST(MenuCapture, TheMouseFocusesAndClicksOnlyTheShownPagesButtons)
{
    MenuRun run;
    std::string events = MoveTo(3, "Options") + Click(4) + DumpAt(6, "options.txt") +
                         // "Start" is hidden under "Option_Quality": only the shown button takes the click.
                         MoveTo(7, "Start") + Click(8) + DumpAt(10, "hidden.txt") +
                         MoveTo(10, "Option_Volume");
    int frame = 11;
    for (int volume = 0; volume <= 10; ++volume, frame += 3)
    {
        events += Click(frame) + DumpAt(frame + 2, "volume_" + std::to_string(volume) + ".txt");
    }
    events += MoveTo(frame, "Option_Sensitivity");
    for (int click = 0; click < 6; ++click, frame += 3)
    {
        events += Click(frame + 1);
    }
    events += DumpAt(frame + 1, "sensitivity.txt") + MoveTo(frame + 2, "Option_Quality");
    frame += 3;
    for (int click = 0; click < 4; ++click, frame += 3)
    {
        events += Click(frame) + DumpAt(frame + 2, "quality_" + std::to_string(click) + ".txt");
    }
    events += ShotAt(frame, "changed.png") + MoveTo(frame, "Back") + Click(frame + 1) +
              DumpAt(frame + 3, "back.txt");
    Play(run, events, frame + 5, "", kMenu, "640", "400");
    ASSERT_EQ(run.result.exitCode, 0) << run.result.output;
    const std::string& log = run.result.output;
    EXPECT_EQ(PagesShown(log), (Pages{"START", "OPTIONS", "START"})) << log;
    EXPECT_EQ(CountOf(log, "Level loaded"), 0u) << log;

    // The click that opened the page did not also press the button now under the cursor.
    const WorldDump options = run.Dump("options.txt");
    EXPECT_EQ(options.captions.at("Option_Fxaa"), "FXAA: Yes");
    EXPECT_EQ(options.captions.at("Option_FullScreen"), "Switch full screen");
    EXPECT_FALSE(options.settings.fullScreen);
    for (int volume = 0; volume <= 10; ++volume)
    {
        const WorldDump dump = run.Dump("volume_" + std::to_string(volume) + ".txt");
        EXPECT_EQ(dump.captions.at("Option_Volume"), "Volume: " + std::to_string(volume));
        EXPECT_NEAR(dump.settings.volume, static_cast<float>(volume) / 10.0f, 1e-6f) << volume;
    }
    // 5 → 10, then round to 1.
    EXPECT_EQ(run.Dump("sensitivity.txt").captions.at("Option_Sensitivity"), "Sensitivity: 1");
    std::vector<std::string> names;
    for (int click = 0; click < 4; ++click)
    {
        names.push_back(run.Dump("quality_" + std::to_string(click) + ".txt").captions.at("Option_Quality"));
    }
    // A 640 x 400 capture starts at "Med".
    EXPECT_EQ(run.Dump("hidden.txt").captions.at("Option_Quality"), "Quality: High");
    EXPECT_EQ(names, (Pages{"Quality: Ultra", "Quality: Low", "Quality: Med", "Quality: High"}));
    EXPECT_TRUE(run.Dump("back.txt").shown.at("Start"));

    Texture::RgbImage image;
    std::string error;
    ASSERT_TRUE(Texture::ReadRgbPng(run.folder.Path() + "changed.png", image, error)) << error;
    EXPECT_TRUE(Testing::MatchesGolden(image, "Behavior/Menu_options_changed.png"));
}

TEST(MenuCapture, APadMovesWithTheDPadAndTheStickClicksWithAAndGoesBackWithB)
{
    MenuRun run;
    Play(run,
         PadPress(3, "dpdown") + PadPress(6, "a") + PadPress(9, "b") + PadPress(12, "dpdown") +
             PadPress(15, "dpdown") + PadPress(18, "dpdown") + PadPress(21, "dpup") + PadPress(24, "a") +
             PadPress(27, "b") +
             // The stick past half way moves once per 0.3 s; a quarter does nothing.
             At(30, R"(<PadAxis axis="lefty" value="0.25"/>)") +
             At(43, R"(<PadAxis axis="lefty" value="0.9"/>)") +
             At(47, R"(<PadAxis axis="lefty" value="0"/>)") + PadPress(50, "a"),
         53);
    ASSERT_EQ(run.result.exitCode, 0) << run.result.output;
    EXPECT_EQ(PagesShown(run.result.output),
              (Pages{"START", "OPTIONS", "START", "CREDITS", "START", "OPTIONS"}))
        << run.result.output;
}

TEST(MenuCapture, EveryOptionReachesTheSystemsThatReadIt)
{
    MenuRun run;
    Play(run,
         // The buttons are laid out again for the full screen's size on the frame after it.
         MoveTo(3, "Options") + Click(4) + DumpAt(6, "before.txt") + MoveTo(7, "Option_FullScreen") +
             Click(8) + MoveTo(12, "Option_Quality") + Click(13) + MoveTo(16, "Option_Fxaa") + Click(17) +
             MoveTo(20, "Option_VSync") + Click(21) + DumpAt(24, "after.txt"),
         26);
    ASSERT_EQ(run.result.exitCode, 0) << run.result.output;
    const Testing::DumpedSettings before = run.Dump("before.txt").settings;
    const WorldDump after = run.Dump("after.txt");
    EXPECT_FALSE(before.fullScreen);
    EXPECT_TRUE(after.settings.fullScreen);
    EXPECT_EQ(before.quality, 0.25f);
    EXPECT_EQ(after.settings.quality, 0.5f);
    EXPECT_TRUE(before.fxaa);
    EXPECT_FALSE(after.settings.fxaa);
    EXPECT_EQ(after.captions.at("Option_Fxaa"), "FXAA: No");
    // Vsync shows what the graphics system accepted (a capture's window may refuse it), both ways.
    EXPECT_EQ(run.Dump("before.txt").captions.at("Option_VSync"),
              before.verticalSync ? "VSYNC: Yes" : "VSYNC: No");
    EXPECT_EQ(after.captions.at("Option_VSync"), after.settings.verticalSync ? "VSYNC: Yes" : "VSYNC: No");
}

// The pitch of the world camera, in radians.
float Pitch(const WorldDump& dump)
{
    const Testing::DumpedCamera& camera = dump.cameras.at("Camera_World");
    return std::asin(glm::normalize(camera.target - camera.position).y);
}

// How far the look turns up for a mouse move down in level 1, with the given options file (or none).
float LookUpForMouseDown(const std::string& attributes)
{
    MenuRun run;
    Play(run, DumpAt(40, "before.txt") + At(41, R"(<MouseMotion dx="0" dy="20"/>)") + DumpAt(44, "after.txt"),
         46, attributes, "$(LocalFolder)Configuration/Level_Test.xml");
    EXPECT_EQ(run.result.exitCode, 0) << run.result.output;
    return Pitch(run.Dump("after.txt")) - Pitch(run.Dump("before.txt"));
}

// Options set in the menu are saved, read again by the next launch and reach the player's look.
TEST(MenuCapture, OptionsChosenInTheMenuHoldInTheNextRunAndTurnThePlayersLook)
{
    const TempDirectory store;
    const std::string file = store.Path() + "options.xml";
    const std::string attributes = "options=\"" + file + "\"";
    {
        MenuRun run;
        std::string events = MoveTo(3, "Options") + Click(4) + MoveTo(6, "Option_Volume") + Click(7) +
                             Click(9) + Click(11) + MoveTo(13, "Option_InvertY") + Click(14) +
                             MoveTo(16, "Option_Sensitivity");
        for (int click = 0; click < 5; ++click)
        {
            events += Click(17 + 2 * click);
        }
        Play(run, events + MoveTo(28, "Back") + Click(29) + MoveTo(31, "Exit") + Click(32), 40,
             attributes + " quits=\"true\"");
        ASSERT_EQ(run.result.exitCode, 0) << run.result.output;
        EXPECT_EQ(CountOf(run.result.output, "Page 'START'"), 2u) << run.result.output;
    }
    const std::string saved = ReadText(file);
    EXPECT_NE(saved.find("invertY=\"true\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("sensitivity=\"10\""), std::string::npos) << saved;

    MenuRun again;
    Play(again, MoveTo(3, "Options") + Click(4) + DumpAt(6, "options.txt"), 8, attributes);
    ASSERT_EQ(again.result.exitCode, 0) << again.result.output;
    const WorldDump options = again.Dump("options.txt");
    EXPECT_EQ(options.captions.at("Option_Volume"), "Volume: 2");
    EXPECT_NEAR(options.settings.volume, 0.2f, 1e-6f);
    EXPECT_EQ(options.captions.at("Option_InvertY"), "Invert Y: Yes");
    EXPECT_EQ(options.captions.at("Option_Sensitivity"), "Sensitivity: 10");

    // Twice the sensitivity, the other way up.
    const float plain = LookUpForMouseDown("");
    const float chosen = LookUpForMouseDown(attributes);
    EXPECT_LT(plain, 0.0f);
    EXPECT_NEAR(chosen / plain, -2.0f, 0.1f) << plain << " " << chosen;
}

TEST(MenuCapture, NewGameStartsLevelOneAndAMissingGameLeavesTheMenuUp)
{
    MenuRun started;
    Play(started, Press(3, "Return") + DumpAt(30, "game.txt"), 32);
    ASSERT_EQ(started.result.exitCode, 0) << started.result.output;
    EXPECT_NE(started.result.output.find("Level loaded: '$(CurrentLevel)Levels/Level_1.xml'"),
              std::string::npos)
        << started.result.output;
    EXPECT_EQ(started.Dump("game.txt").CountNamed("Menu"), 0);

    // The same menu over a configuration folder without the game's file.
    const TempDirectory configuration;
    std::filesystem::copy(std::string(MORVANE_DATA_FOLDER) + "Configuration", configuration.Path(),
                          std::filesystem::copy_options::recursive);
    std::filesystem::remove(configuration.Path() + "Level_Test.xml");
    std::string project = ReadText(configuration.Path() + "Level_Menu.xml");
    const std::string alias = R"(<Path alias="ConfigurationFolder" path="$(LocalFolder)Configuration/"/>)";
    ASSERT_NE(project.find(alias), std::string::npos);
    project.replace(project.find(alias), alias.size(),
                    R"(<Path alias="ConfigurationFolder" path=")" + configuration.Path() + R"("/>)");
    MenuRun missing;
    Play(missing, Press(3, "Return") + DumpAt(8, "menu.txt"), 10, "",
         configuration.Write("ProjectConfiguration.xml", project));
    ASSERT_EQ(missing.result.exitCode, 0) << missing.result.output;
    EXPECT_NE(missing.result.output.find("Level_Test.xml"), std::string::npos) << missing.result.output;
    EXPECT_EQ(CountOf(missing.result.output, "Level loaded"), 0u) << missing.result.output;
    const WorldDump menu = missing.Dump("menu.txt");
    EXPECT_EQ(menu.CountNamed("Menu"), 1);
    EXPECT_TRUE(menu.shown.at("Start"));
}

// The three pages as a player sees them, the first with "New game" focused.
TEST(MenuCapture, ThePagesLookAsTheyShould)
{
    MenuRun run;
    // Each shot once the page's colours have settled, in a window large enough for the captions' thin
    // strokes.
    Play(run,
         ShotAt(40, "start.png") + Press(41, "Down") + Press(43, "Return") + ShotAt(80, "options.png") +
             Press(81, "Escape") + Press(83, "Down") + Press(85, "Down") + Press(87, "Return") +
             ShotAt(127, "credits.png"),
         129, "", kMenu, "640", "400");
    ASSERT_EQ(run.result.exitCode, 0) << run.result.output;
    for (const char* page : {"start", "options", "credits"})
    {
        Texture::RgbImage image;
        std::string error;
        ASSERT_TRUE(Texture::ReadRgbPng(run.folder.Path() + page + ".png", image, error)) << error;
        std::string golden = std::string("Behavior/Menu_") + page + ".png";
        EXPECT_TRUE(Testing::MatchesGolden(image, golden)) << page;
    }
}
} // namespace
} // namespace Morvane

namespace Morvane
{
namespace
{
// Tests/Replays/Menu.xml through the shipped data: every page, every option around its cycle, the game
// and back through the pause room, and Exit.
TEST(MenuCapture, TheWholeMenuReplayWalksEveryPageIntoTheGameAndBack)
{
    const TempDirectory folder;
    std::string script = ReadText(std::string(MORVANE_REPLAY_FOLDER) + "Menu.xml");
    const std::string relative = "configuration=\"../../Data/";
    ASSERT_NE(script.find(relative), std::string::npos);
    script.replace(script.find(relative), relative.size(),
                   "configuration=\"" + std::string(MORVANE_DATA_FOLDER));
    const Testing::ToolResult result = Testing::RunGame("--capture " + folder.Write("Menu.xml", script));
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(PagesShown(result.output), (Pages{"START", "OPTIONS", "START", "CREDITS", "START", "START"}))
        << result.output;
    EXPECT_NE(result.output.find("The game quit after"), std::string::npos) << result.output;

    // Around every cycle and back where the options started.
    const WorldDump options = Testing::ReadWorldDump(folder.Path() + "options.txt");
    EXPECT_EQ(options.captions.at("Option_Volume"), "Volume: 10");
    EXPECT_EQ(options.captions.at("Option_Quality"), "Quality: Low");
    EXPECT_EQ(options.captions.at("Option_Fxaa"), "FXAA: Yes");
    EXPECT_EQ(options.captions.at("Option_InvertY"), "Invert Y: No");
    EXPECT_EQ(options.captions.at("Option_Sensitivity"), "Sensitivity: 5");
    EXPECT_FALSE(options.settings.fullScreen);
    EXPECT_EQ(options.settings.width, 320);
    EXPECT_TRUE(Testing::ReadWorldDump(folder.Path() + "credits.txt").shown.at("BACK"));

    // The menu after the game fills the window again, as it did before.
    Texture::RgbImage image;
    std::string error;
    ASSERT_TRUE(Texture::ReadRgbPng(folder.Path() + "Menu.png", image, error)) << error;
    EXPECT_TRUE(Testing::MatchesGolden(image, "Behavior/Replay_Menu.png"));
}
} // namespace
} // namespace Morvane
