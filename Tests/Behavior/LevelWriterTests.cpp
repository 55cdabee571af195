// Saving a level: the shipped levels survive a save untouched and pass the data tool's check, edits land
// where the loader reads them, what the loader never reads is dropped with a warning, texts and numbers
// read back exactly, and a save that fails leaves the old file whole.
#include "Behavior/GameLogic/GameLogic.h"
#include "Behavior/GameLogic/LevelAttributes.h"
#include "Behavior/GameLogic/LevelWriter.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "Support/ToolRun.h"
#include "System/Logging/LoggingSystem.h"
#include "System/PathWrapper/PathWrapper.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <sys/resource.h>
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

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Every message logged on the editor's channel while it lives.
class EditorLog
{
public:
    std::vector<std::string> messages;

private:
    Logging::ListenerHandle m_handle = Logging::System::GetInstance().AddListener(
        [this](const std::string& channel, const std::string& message)
        {
            if (channel == "Editor")
            {
                messages.push_back(message);
            }
        });
};

// As the number reading of the engine takes a piece of a vector.
bool ReadsBack(const std::string& text, float value)
{
    return std::bit_cast<std::uint32_t>(static_cast<float>(std::atof(text.c_str()))) ==
           std::bit_cast<std::uint32_t>(value);
}

// "-0.0120e5" has 2.
int SignificantDigits(const std::string& text)
{
    std::string digits;
    for (const char character : text.substr(0, text.find('e')))
    {
        if (character >= '0' && character <= '9')
        {
            digits += character;
        }
    }
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? 1 : static_cast<int>(digits.find_last_not_of('0') - first + 1);
}

TEST(LevelWriter, AnUnchangedSaveOfEachShippedLevelKeepsWhatTheGameReadsAndPassesTheCheck)
{
    // A data folder that is the game's own but for its levels, which are the saved ones.
    const Testing::TempDirectory folder;
    const std::string data = folder.Path() + "Data/";
    std::filesystem::create_directories(data + "Levels");
    for (const auto& entry : std::filesystem::directory_iterator(MORVANE_DATA_FOLDER))
    {
        if (entry.path().filename() != "Levels")
        {
            std::filesystem::create_directory_symlink(entry.path(), data + entry.path().filename().string());
        }
    }
    std::string saved;
    int levels = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(MORVANE_DATA_FOLDER) + "Levels"))
    {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with("Level_"))
        {
            continue;
        }
        ++levels;
        FileParser original;
        const IParserData* level = original.Parse(entry.path().string());
        ASSERT_NE(level, nullptr) << name;
        const std::string path = data + "Levels/" + name;
        {
            const EditorLog log;
            ASSERT_TRUE(LevelWriter::Save(path, *level, {}));
            EXPECT_EQ(log.messages, std::vector<std::string>{"Level saved: '" + path + "'"});
        }
        saved += " '" + path + "'";
        EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0644)) << name;

        FileParser reread;
        const IParserData* copy = reread.Parse(path);
        ASSERT_NE(copy, nullptr) << name;
        EXPECT_EQ(copy->GetName(), level->GetName());
        EXPECT_EQ(copy->GetAttribute("name", "-"), level->GetAttribute("name", "-")) << name;
        const IParserData* element = level->GetFirstChild();
        const IParserData* written = copy->GetFirstChild();
        for (; element != nullptr && written != nullptr;
             element = element->GetNextSibling(), written = written->GetNextSibling())
        {
            ASSERT_EQ(written->GetName(), element->GetName()) << name;
            const GameLogic::LevelTag* tag = GameLogic::FindLevelTag(element->GetName());
            ASSERT_NE(tag, nullptr) << name << ": " << element->GetName();
            for (const std::string& attribute : LevelAttributes::Read(*tag))
            {
                EXPECT_EQ(written->GetAttribute(attribute, "(absent)"),
                          element->GetAttribute(attribute, "(absent)"))
                    << name << ": " << element->GetName() << " " << attribute;
            }
            // Children, such as the player's tips, as they were.
            const IParserData* child = element->GetFirstChild();
            const IParserData* writtenChild = written->GetFirstChild();
            for (; child != nullptr && writtenChild != nullptr;
                 child = child->GetNextSibling(), writtenChild = writtenChild->GetNextSibling())
            {
                EXPECT_EQ(writtenChild->ToString(), child->ToString()) << name;
            }
            EXPECT_TRUE(child == nullptr && writtenChild == nullptr) << name << ": as many children";
        }
        EXPECT_TRUE(element == nullptr && written == nullptr) << name << ": as many elements";
        // Saved again, the saved level gives the same bytes.
        EXPECT_EQ(LevelWriter::Write(*copy, {}), ReadText(path)) << name;
    }
    EXPECT_EQ(levels, 6);
    const Testing::ToolResult check = Testing::RunTool("morvane-data", "check" + saved, "2>&1");
    EXPECT_EQ(check.exitCode, 0) << check.output;
    EXPECT_EQ(Testing::CountOf(check.output, ": OK"), 6u) << check.output;
}

TEST(LevelWriter, EditsLandInTheirPlaceAndWhatTheGameDoesNotReadIsDroppedWithAWarning)
{
    const auto level = Testing::ParseXml(R"(<Level name="Edited" version="2">
        <Wall pos="1;2;3" extra="x" color="0;1;0;1"/>
        <Mystery pos="0;0;0"/>
        <Floor pos="0;0;0"/>
        <Player yaw="1" pos="0;1;0"><Tip pos="1;1;1" note="a">text</Tip><Tip/></Player>
        <Trigger event="Guide" pos="0;1;0"/>
    </Level>)");
    LevelEdits edits;
    EXPECT_TRUE(edits.Empty());
    edits.attributes[0] = {{"pos", "4;5;6"}, {"scale", "2;2;2"}};
    edits.attributes[3] = {{"scale", "2;2;2"}};
    edits.attributes[2] = {{"pos", "9;9;9"}};
    edits.attributes[9] = {{"pos", "9;9;9"}};
    edits.deleted = {2};
    EXPECT_FALSE(edits.Empty());

    const EditorLog log;
    EXPECT_EQ(LevelWriter::Write(*level, edits), R"(<Level name="Edited" version="2">
    <Wall pos="4;5;6" scale="2;2;2" color="0;1;0;1"/>
    <Player pos="0;1;0" yaw="1">
        <Tip pos="1;1;1" note="a">text</Tip>
        <Tip/>
    </Player>
    <Trigger pos="0;1;0" event="Guide"/>
</Level>
)");
    EXPECT_EQ(log.messages, (std::vector<std::string>{
                                "Dropped the attribute 'extra' of 'Wall': the game does not read it",
                                "Dropped the element 'Mystery': no level tag has that name",
                                "Dropped the edit of 'scale' on 'Player': the game does not read it",
                                "Dropped the edits of element 9: the level has 5",
                            }));
}

TEST(LevelWriter, TextsThatTheReaderWouldChangeReadBackAsTheyWere)
{
    // Entities make what a plain write would lose: quotes, markup, carriage returns, white space.
    const auto level = Testing::ParseXml("<Level note=\"a&quot;b&apos;c &amp; &lt;d&gt;\">"
                                         "<WorldText caption=\"one&#13;&#10;two&#9;three \"/>"
                                         "<Player><Tip>&#32;</Tip><Tip>\n&#10;</Tip><Tip>\n\nx\r\ny</Tip>"
                                         "<Tip>before<Tip>&#9;</Tip></Tip></Player></Level>");
    const std::string text = LevelWriter::Write(*level, {});
    const auto copy = Testing::ParseXml(text);
    EXPECT_EQ(copy->GetAttribute("note", ""), "a\"b'c & <d>");
    const IParserData* caption = copy->GetFirstChild();
    EXPECT_EQ(caption->GetAttribute("caption", ""), "one\r\ntwo\tthree ");
    std::vector<std::string> texts;
    const IParserData* last = nullptr;
    for (const IParserData* tip = caption->GetNextSibling()->GetFirstChild(); tip != nullptr;
         tip = tip->GetNextSibling())
    {
        texts.push_back(tip->GetInnerText());
        last = tip;
    }
    EXPECT_EQ(texts, (std::vector<std::string>{" ", "\n", "\nx\ny", "before"}));
    ASSERT_NE(last->GetFirstChild(), nullptr);
    EXPECT_EQ(last->GetFirstChild()->GetInnerText(), "\t");
    EXPECT_EQ(LevelWriter::Write(*copy, {}), text);
}

TEST(LevelWriter, NumbersReadBackBitForBitInTheFewestCharacters)
{
    const float subnormal = std::numeric_limits<float>::denorm_min();
    const float infinity = std::numeric_limits<float>::infinity();
    const struct
    {
        std::vector<float> values;
        std::string text;
    } cases[] = {
        {{0.1f}, "0.1"},
        {{1.0f, 2.5f, -3.0f}, "1;2.5;-3"},
        {{1e-7f}, "1e-7"},
        {{3.4e38f}, "3.4e38"},
        {{-0.0f, 0.0f}, "-0;0"},
        {{FLT_MAX, -FLT_MIN}, "3.4028235e38;-1.1754944e-38"},
        {{subnormal, 4e-45f}, "1e-45;4e-45"},
        {{100.0f, 1000.0f, 0.05f, 0.001f}, "100;1e3;0.05;1e-3"},
        {{infinity, -infinity}, "inf;-inf"},
        {{}, ""},
    };
    for (const auto& [values, text] : cases)
    {
        EXPECT_EQ(LevelWriter::FormatNumbers(values), text);
    }
    EXPECT_TRUE(std::isnan(std::atof(LevelWriter::FormatNumbers(std::vector<float>{NAN}).c_str())));

    // Any bit pattern but a NaN: no fewer significant digits read back ("%.*g" tries every count).
    std::mt19937 random(20240611u);
    for (int sample = 0; sample < 50000; ++sample)
    {
        const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        if (std::isnan(value))
        {
            continue;
        }
        const float one[] = {value};
        const std::string text = LevelWriter::FormatNumbers(one);
        ASSERT_TRUE(ReadsBack(text, value)) << text;
        int fewest = 1;
        for (char shortest[32]; fewest < 9; ++fewest)
        {
            std::snprintf(shortest, sizeof shortest, "%.*g", fewest, static_cast<double>(value));
            if (ReadsBack(shortest, value))
            {
                break;
            }
        }
        ASSERT_LE(SignificantDigits(text), fewest) << text;
        ASSERT_EQ(text.find_first_of("+ "), std::string::npos) << text;
    }
}

TEST(LevelWriter, SavesThroughPathAliasesAndKeepsTheReplacedFilesMode)
{
    const Testing::TempDirectory folder;
    PathWrapper::GetInstance().AddPath("SavedLevels", folder.Path());
    const std::string old = folder.Write("Level.xml", "<Level/>");
    std::filesystem::permissions(old, std::filesystem::perms(0640));
    const auto level = Testing::ParseXml(R"(<Level><Wall pos="1;2;3"/></Level>)");
    const EditorLog log;
    ASSERT_TRUE(LevelWriter::Save("$(SavedLevels)Level.xml", *level, {}));
    EXPECT_EQ(log.messages, std::vector<std::string>{"Level saved: '$(SavedLevels)Level.xml'"});
    EXPECT_EQ(ReadText(old), LevelWriter::Write(*level, {}));
    EXPECT_EQ(std::filesystem::status(old).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"Level.xml"});
}

// Root writes into any folder it can reach, so each save is made to fail by what no permission lifts.
TEST(LevelWriter, AFailedSaveLogsTheErrorAndLeavesTheOldFileWholeAndNoTemporaryFile)
{
    const Testing::TempDirectory folder;
    const std::string old = folder.Write("kept/Level.xml", "<Level name=\"old\"/>");
    const std::string blocker = folder.Write("Blocker", "a file, not a folder");
    std::filesystem::create_directories(folder.Path() + "taken/Level.xml/inside");
    const auto level = Testing::ParseXml(R"(<Level><Wall pos="1;2;3"/></Level>)");
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

    const struct
    {
        std::string path;
        std::string reason;
        rlim_t fileSizeLimit;
    } failures[] = {
        {folder.Path() + "missing/Level.xml", "(making a temporary file: No such file or directory)",
         unlimited.rlim_cur},
        {blocker + "/Level.xml", "(making a temporary file: Not a directory)", unlimited.rlim_cur},
        // Read-only or refused to root, depending on how the system is mounted.
        {"/sys/Level.xml", "(making a temporary file: ", unlimited.rlim_cur},
        {old, "(writing: File too large)", 10},
        {folder.Path() + "taken/Level.xml", "(replacing the file: Is a directory)", unlimited.rlim_cur},
    };
    for (const auto& failure : failures)
    {
        const EditorLog log;
        limitFileSize(failure.fileSizeLimit);
        const bool saved = LevelWriter::Save(failure.path, *level, {});
        limitFileSize(unlimited.rlim_cur);
        EXPECT_FALSE(saved) << failure.path;
        ASSERT_EQ(log.messages.size(), 1u) << failure.path;
        EXPECT_THAT(log.messages[0],
                    testing::StartsWith("Could not save level '" + failure.path + "' " + failure.reason));
    }
    EXPECT_FALSE(std::filesystem::exists("/sys/Level.xml"));
    EXPECT_EQ(FolderEntries(folder.Path()), (std::vector<std::string>{"Blocker", "kept", "taken"}));
    EXPECT_EQ(ReadText(old), "<Level name=\"old\"/>");
    EXPECT_EQ(FolderEntries(folder.Path() + "kept"), std::vector<std::string>{"Level.xml"});
    EXPECT_EQ(FolderEntries(folder.Path() + "taken"), std::vector<std::string>{"Level.xml"});
    EXPECT_EQ(FolderEntries(folder.Path() + "taken/Level.xml"), std::vector<std::string>{"inside"});
}
} // namespace
