// The options record: its steps, what each value reaches at once, when it is saved, and that a capture
// starts the real game with its own options file applied and never touches the player's.
#include "Behavior/GameLogic/RenderSettings.h"
#include "Behavior/Options/Options.h"
#include "Graphics/GraphicsSystem.h"
#include "Sound/AudioSystem.h"
#include "Support/GameCapture.h"
#include "Support/GlTest.h"
#include "Support/TempDirectory.h"
#include "Support/ToolRun.h"
#include "Window/WindowSystem.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace
{
using namespace Morvane;

std::string ReadText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(Options, VolumeStepsByTenthsAndReachesTheMasterVolumeAtOnce)
{
    Options& options = Options::GetInstance();
    options.Open("");
    // The menu's button: eleven presses from full volume go round every tenth once.
    std::vector<int> heard;
    for (int press = 0; press < 11; ++press)
    {
        options.SetVolume(static_cast<float>((1 + options.GetVolumeTenths()) % 11) / 10.0f);
        heard.push_back(options.GetVolumeTenths());
        EXPECT_FLOAT_EQ(Audio::System::GetInstance().GetVolume(), static_cast<float>(heard.back()) / 10.0f);
    }
    EXPECT_EQ(heard, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    for (const auto& [volume, tenths] : std::vector<std::pair<float, int>>{
             {0.7f, 7}, {0.68f, 7}, {0.64f, 6}, {1.4f, 10}, {-1.0f, 0}, {std::nanf(""), 0}})
    {
        options.SetVolume(volume);
        EXPECT_EQ(options.GetVolumeTenths(), tenths) << volume;
    }
}

TEST(Options, QualityGoesRoundItsFourStepsAndReachesTheRenderSettings)
{
    Options& options = Options::GetInstance();
    options.Open("");
    std::vector<std::string> names;
    for (int step = 0; step < 4; ++step)
    {
        options.SetRenderQuality(Options::NextRenderQuality(options.GetRenderQuality()));
        names.push_back(options.GetRenderQualityName());
        EXPECT_EQ(RenderSettings::GetInstance().renderQuality, options.GetRenderQuality());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Ultra", "Low", "Med", "High"}));
    EXPECT_EQ(options.GetRenderQuality(), 1.0f);
    // A step is known within 0.1 of it; a quality near none starts again at the default.
    EXPECT_EQ(Options::NextRenderQuality(0.59f), 1.0f);
    EXPECT_EQ(Options::NextRenderQuality(1.41f), 0.25f);
    EXPECT_EQ(Options::NextRenderQuality(0.75f), 1.0f);
    options.SetRenderQuality(0.3f);
    EXPECT_EQ(options.GetRenderQualityIndex(), 0);
    options.SetRenderQuality(9.0f);
    EXPECT_STREQ(options.GetRenderQualityName(), "Ultra");
}

TEST(Options, OpeningAppliesTheFileBeforeAnyWindowAndOnlyNewValuesAreSaved)
{
    const Testing::TempDirectory folder;
    const std::string path =
        folder.Write("options.xml",
                     R"(<Options fullScreen="true" volume="0.3" quality="0.5" fxaa="false" vsync="false"/>)");
    Options& options = Options::GetInstance();
    options.Open(path);
    EXPECT_TRUE(Window::System::GetInstance().fullScreen);
    EXPECT_FLOAT_EQ(Audio::System::GetInstance().GetVolume(), 0.3f);
    const RenderSettings& settings = RenderSettings::GetInstance();
    EXPECT_FALSE(settings.fxaa);
    EXPECT_FALSE(settings.verticalSync);
    EXPECT_EQ(settings.renderQuality, 0.5f);
    EXPECT_FALSE(options.IsChanged());

    options.SetFxaa(false);
    options.SetMouseSensitivity(5);
    EXPECT_FALSE(options.IsChanged()) << "no value is new";
    options.SetInvertY(true);
    options.SetMouseSensitivity(40);
    options.SetFullScreen(false);
    EXPECT_TRUE(options.IsChanged());
    EXPECT_FALSE(Window::System::GetInstance().fullScreen);
    options.SaveIfChanged();
    EXPECT_FALSE(options.IsChanged());
    EXPECT_EQ(ReadText(path), "<Options fullScreen=\"false\" volume=\"0.3\" quality=\"0.5\" fxaa=\"false\" "
                              "vsync=\"false\" invertY=\"true\" sensitivity=\"10\"/>\n");
    std::filesystem::remove(path);
    options.SaveIfChanged();
    EXPECT_FALSE(std::filesystem::exists(path)) << "saved only after a change";

    // Without a file nothing is read or written.
    options.Open("");
    EXPECT_EQ(options.GetValues(), OptionValues{});
    options.SetVolume(0.5f);
    options.SaveIfChanged();
    EXPECT_FALSE(options.IsChanged());
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

class OptionsWithContext : public Testing::GlTest
{
};

// The record shows what the driver accepted; the file keeps what the player asked for, and a refusal
// when a configuration starts is no change of the player's.
TEST_F(OptionsWithContext, VerticalSyncFollowsTheDriverWhileTheFileKeepsTheRequest)
{
    const Testing::TempDirectory folder;
    const std::string path = folder.Path() + "options.xml";
    Options& options = Options::GetInstance();
    Graphics::System& graphics = Graphics::System::GetInstance();
    options.Open(path);
    options.SetVerticalSync(false);
    EXPECT_FALSE(graphics.IsVSync());
    EXPECT_FALSE(options.GetVerticalSync());
    // A configuration's graphics start asks for synchronisation; the next Apply switches it off again.
    graphics.SetVSync(true);
    options.Apply();
    EXPECT_FALSE(graphics.IsVSync());

    options.SetVerticalSync(true);
    EXPECT_EQ(options.GetVerticalSync(), graphics.IsVSync());
    EXPECT_EQ(RenderSettings::GetInstance().verticalSync, graphics.IsVSync());
    options.SaveIfChanged();
    options.Apply();
    EXPECT_FALSE(options.IsChanged());
    EXPECT_THAT(ReadText(path), testing::HasSubstr("vsync=\"true\""));
}

TEST(OptionsCapture, ACaptureStartsWithItsOptionsFileAppliedAndNeverTouchesThePlayers)
{
    const Testing::TempDirectory player;
    const std::string playerText = R"(<Options volume="0.2" fxaa="false"/>)";
    const std::string playerFile = player.Write("brimora/options.xml", playerText);
    setenv("XDG_CONFIG_HOME", player.Path().c_str(), 1);
    const Testing::TempDirectory folder;
    const std::string ownText = R"(<Options volume="0.3" fullScreen="true" fxaa="false" quality="0.25"/>)";
    const std::string own = folder.Write("own.xml", ownText);
    const std::string script = R"( frames="2" configuration="$(LocalFolder)Configuration/FirstRoom.xml">
        <Frame number="1"><Dump path="dump.txt"/></Frame></Capture>)";

    const Testing::ToolResult applied = Testing::RunGame(
        "--capture " + folder.Write("with/run.xml", "<Capture options=\"../own.xml\"" + script));
    ASSERT_EQ(applied.exitCode, 0) << applied.output;
    const Testing::DumpedSettings with = Testing::ReadWorldDump(folder.Path() + "with/dump.txt").settings;
    EXPECT_FLOAT_EQ(with.volume, 0.3f);
    EXPECT_TRUE(with.fullScreen);
    EXPECT_FALSE(with.fxaa);
    EXPECT_EQ(with.quality, 0.25f);

    const Testing::ToolResult plain =
        Testing::RunGame("--capture " + folder.Write("without/run.xml", "<Capture" + script));
    ASSERT_EQ(plain.exitCode, 0) << plain.output;
    const Testing::DumpedSettings without =
        Testing::ReadWorldDump(folder.Path() + "without/dump.txt").settings;
    EXPECT_FLOAT_EQ(without.volume, 1.0f);
    EXPECT_FALSE(without.fullScreen);
    EXPECT_TRUE(without.fxaa);
    EXPECT_EQ(without.quality, 1.0f);

    EXPECT_EQ(ReadText(own), ownText);
    EXPECT_EQ(ReadText(playerFile), playerText);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(player.Path() + "brimora"),
                            std::filesystem::directory_iterator()),
              1);
}
} // namespace
