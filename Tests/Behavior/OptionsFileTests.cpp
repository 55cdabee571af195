// The options file: what every kind of bad file gives, the text it writes, where it lives and how a save
// fails without harming the file it would replace.
#include "Behavior/Options/OptionsFile.h"
#include "Support/TempDirectory.h"
#include "System/Logging/LoggingSystem.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace
{
using namespace Morvane;
using Problems = std::vector<std::string>;

std::string ReadText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

// Every message logged on the options channel while it lives.
class OptionsLog
{
public:
    std::vector<std::string> messages;

private:
    Logging::ListenerHandle m_handle = Logging::System::GetInstance().AddListener(
        [this](const std::string& channel, const std::string& message)
        {
            if (channel == OptionsFile::kChannel)
            {
                messages.push_back(message);
            }
        });
};

OptionValues With(const std::function<void(OptionValues&)>& change)
{
    OptionValues values;
    change(values);
    return values;
}

struct BadText
{
    std::string text;
    OptionValues expected;
    Problems problems;
};

TEST(OptionsFile, BadTextGivesTheDefaultForWhatIsBadAndOneProblemEach)
{
    const std::string allDefaults = ": every option keeps its default";
    const std::vector<BadText> cases = {
        {" \n", {}, {"the file is empty" + allDefaults}},
        {"<Options volume=\"0.2\"",
         {},
         {"the file is not XML (XML_ERROR_PARSING_ELEMENT at line 1)" + allDefaults}},
        {"<!-- nothing -->", {}, {"the file holds no element" + allDefaults}},
        {"<Level volume=\"0.2\"/>", {}, {"the root is 'Level', not 'Options'" + allDefaults}},
        {R"(<Options volume="7" sensitivity="0" quality="2"/>)",
         {},
         {"volume '7' is outside 0 to 1: 1 is used", "sensitivity '0' is outside 1 to 10: 5 is used",
          "quality '2' is outside 0.25 to 1.5: 1 is used"}},
        {R"(<Options quality="nan" volume="1e999" sensitivity="-inf"/>)",
         {},
         {"quality 'nan' is not finite: 1 is used", "volume '1e999' is not finite: 1 is used",
          "sensitivity '-inf' is not finite: 5 is used"}},
        {R"(<Options volume="loud" quality=" 1" sensitivity="+5"/>)",
         {},
         {"volume 'loud' is not a number: 1 is used", "quality ' 1' is not a number: 1 is used",
          "sensitivity '+5' is not a number: 5 is used"}},
        // Within range, between steps: the nearest step.
        {R"(<Options volume="0.73" quality="0.3" sensitivity="5.5"/>)",
         With(
             [](OptionValues& values)
             {
                 values.volumeTenths = 7;
                 values.qualityIndex = 0;
                 values.mouseSensitivity = 6;
             }),
         {"volume '0.73' is not a tenth: 0.7 is used",
          "quality '0.3' is not one of 0.25, 0.5, 1, 1.5: 0.25 is used",
          "sensitivity '5.5' is not a whole number: 6 is used"}},
        // What is good stays good beside what is not.
        {R"(<Options fullScreen="1" fxaa="yes" vsync="false" volume="0.3" colour="red"><Extra/></Options>)",
         With(
             [](OptionValues& values)
             {
                 values.verticalSync = false;
                 values.volumeTenths = 3;
             }),
         {"fullScreen '1' is not true or false: false is used",
          "fxaa 'yes' is not true or false: true is used", "unknown attribute 'colour' is ignored",
          "unknown element 'Extra' is ignored"}},
    };
    for (const BadText& bad : cases)
    {
        Problems problems;
        EXPECT_EQ(OptionsFile::FromText(bad.text, problems), bad.expected) << bad.text;
        EXPECT_EQ(problems, bad.problems) << bad.text;
    }
}

TEST(OptionsFile, WritesTheShortestNumbersAndReadsBackEveryValueItWrites)
{
    EXPECT_EQ(OptionsFile::ToText({}),
              "<Options fullScreen=\"false\" volume=\"1\" quality=\"1\" fxaa=\"true\" "
              "vsync=\"true\" invertY=\"false\" sensitivity=\"5\"/>\n");
    for (int tenths = 0; tenths <= OptionValues::kVolumeTenths; ++tenths)
    {
        for (int quality = 0; quality < static_cast<int>(OptionValues::kQualitySteps.size()); ++quality)
        {
            const OptionValues values = With(
                [&](OptionValues& changed)
                {
                    changed.volumeTenths = tenths;
                    changed.qualityIndex = quality;
                    changed.mouseSensitivity = 1 + tenths % 10;
                    changed.fullScreen = tenths % 2 == 0;
                    changed.fxaa = quality % 2 == 0;
                    changed.verticalSync = tenths % 3 == 0;
                    changed.invertY = tenths % 2 != 0;
                });
            Problems problems;
            EXPECT_EQ(OptionsFile::FromText(OptionsFile::ToText(values), problems), values)
                << OptionsFile::ToText(values);
            EXPECT_TRUE(problems.empty()) << OptionsFile::ToText(values);
        }
    }
    const std::string seven = OptionsFile::ToText(With(
        [](OptionValues& values)
        {
            values.volumeTenths = 7;
            values.qualityIndex = 0;
        }));
    EXPECT_THAT(seven, testing::HasSubstr("volume=\"0.7\" quality=\"0.25\""));
}

TEST(OptionsFile, FilesThatCannotBeUsedWarnOncePerProblemAndAMissingOneOnlyInforms)
{
    const Testing::TempDirectory folder;
    std::filesystem::create_directory(folder.Path() + "Folder.xml");
    const std::string large = folder.Write("Large.xml", std::string(OptionsFile::kMaximumSize + 1, ' '));
    const std::string bad = folder.Write("Bad.xml", R"(<Options volume="7" invertY="true" odd="1"/>)");
    const std::string missing = folder.Path() + "Missing.xml";

    const std::vector<std::pair<std::string, Problems>> cases = {
        {missing, {}},
        {folder.Path() + "Folder.xml", {"a folder stands in its place: every option keeps its default"}},
        {large, {"the file is larger than 65536 bytes: every option keeps its default"}},
        {bad, {"volume '7' is outside 0 to 1: 1 is used", "unknown attribute 'odd' is ignored"}},
    };
    for (const auto& [path, expected] : cases)
    {
        const OptionsLog log;
        const OptionValues values = OptionsFile(path).Load();
        EXPECT_EQ(values.invertY, path == bad) << path;
        Problems logged;
        for (const std::string& problem : expected)
        {
            logged.push_back(path + ": " + problem);
        }
        if (path == missing)
        {
            logged.push_back("No options file at '" + missing + "' yet");
        }
        EXPECT_EQ(log.messages, logged);
    }
    EXPECT_FALSE(std::filesystem::exists(missing)) << "reading never makes the file";
}

TEST(OptionsFile, LivesInTheConfigurationFolderThatXdgNamesOrElseUnderHome)
{
    struct Place
    {
        const char* config;
        const char* home;
        std::string expected;
    };
    const std::vector<Place> places = {
        {"/x/config", "/home/p", "/x/config/brimora/options.xml"},
        {"", "/home/p", "/home/p/.config/brimora/options.xml"},
        {nullptr, "/home/p", "/home/p/.config/brimora/options.xml"},
        {"relative/config", "/home/p", "/home/p/.config/brimora/options.xml"},
        {nullptr, "relative/home", ""},
        {nullptr, nullptr, ""},
    };
    const auto set = [](const char* name, const char* value)
    { value == nullptr ? unsetenv(name) : setenv(name, value, 1); };
    for (const Place& place : places)
    {
        set("XDG_CONFIG_HOME", place.config);
        set("HOME", place.home);
        const OptionsLog log;
        EXPECT_EQ(OptionsFile::UserPath().string(), place.expected) << place.expected;
        EXPECT_EQ(log.messages.size(), place.expected.empty() ? 1u : 0u);
    }
}

TEST(OptionsFile, SaveMakesAPrivateFolderAndReplacesTheFileWhole)
{
    const Testing::TempDirectory folder;
    const std::string path = folder.Path() + "config/brimora/options.xml";
    const OptionsFile file(path);
    const OptionValues quiet = With([](OptionValues& values) { values.volumeTenths = 2; });
    ASSERT_TRUE(file.Save({}));
    ASSERT_TRUE(file.Save(quiet));
    EXPECT_EQ(ReadText(path), OptionsFile::ToText(quiet));
    EXPECT_EQ(FolderEntries(folder.Path() + "config/brimora"), std::vector<std::string>{"options.xml"});
    for (const char* made : {"config", "config/brimora"})
    {
        EXPECT_EQ(std::filesystem::status(folder.Path() + made).permissions() & std::filesystem::perms::all,
                  std::filesystem::perms::owner_all)
            << made;
    }
    Problems problems;
    EXPECT_EQ(file.Read(problems), quiet);
    EXPECT_TRUE(problems.empty());
}

// Root writes into any folder, so each save is made to fail by what no permission lifts.
TEST(OptionsFile, AFailedSaveWarnsAndLeavesTheOldFileWholeAndNoTemporaryFile)
{
    const Testing::TempDirectory folder;
    const std::string old = folder.Write("brimora/options.xml", "<Options volume=\"0.4\"/>");
    const std::string blocker = folder.Write("Blocker", "a file, not a folder");
    std::filesystem::create_directories(folder.Path() + "taken/options.xml");
    const auto limitFileSize = [](rlim_t bytes)
    {
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    };
    // Past the limit a write fails with EFBIG instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);

    struct Failure
    {
        std::string path;
        std::string message;
        rlim_t fileSizeLimit;
    };
    const std::vector<Failure> failures = {
        {old, "(writing: File too large)", 10},
        {blocker + "/brimora/options.xml", "(making its folder: Not a directory)", unlimited.rlim_cur},
        {folder.Path() + "taken/options.xml", "(replacing the file: Is a directory)", unlimited.rlim_cur},
    };
    for (const Failure& failure : failures)
    {
        const OptionsLog log;
        limitFileSize(failure.fileSizeLimit);
        const bool saved = OptionsFile(failure.path).Save({});
        limitFileSize(unlimited.rlim_cur);
        EXPECT_FALSE(saved) << failure.path;
        EXPECT_EQ(log.messages, std::vector<std::string>{"Could not save the options to '" + failure.path +
                                                         "' " + failure.message});
    }
    EXPECT_EQ(ReadText(old), "<Options volume=\"0.4\"/>");
    EXPECT_EQ(FolderEntries(folder.Path() + "brimora"), std::vector<std::string>{"options.xml"});
    EXPECT_EQ(FolderEntries(folder.Path() + "taken"), std::vector<std::string>{"options.xml"});
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() + "taken/options.xml"));
}
} // namespace
