#include "System/Logging/LoggingSystem.h"

#include "LogCapture.h"
#include "System/Logging/Format.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <thread>

namespace Morvane
{
namespace
{
const std::regex kStamp("^[0-9]{2}:[0-9]{2}:[0-9]{2}: ");

// The printed text after the time stamp, which is checked separately.
std::string WithoutStamp(const std::string& line)
{
    EXPECT_TRUE(std::regex_search(line, kStamp)) << line;
    return line.substr(10);
}

std::string Logged(void (*log)(const std::string&, const std::string&), const std::string& channel,
                   const std::string& message)
{
    Testing::LogCapture capture;
    log(channel, message);
    return WithoutStamp(capture.Text());
}

TEST(LoggingSystemTest, ShortMessageIsPaddedToTwentyColumns)
{
    EXPECT_EQ(Logged(&Log::Info, "System Manager", "x"),
              "      System Manager: x" + std::string(19, ' ') + "\n");
}

TEST(LoggingSystemTest, EmptyMessagePrintsHeaderAndPadding)
{
    EXPECT_EQ(Logged(&Log::Warning, "Main", ""),
              std::string(16, ' ') + "Main: " + std::string(20, ' ') + "\n");
}

TEST(LoggingSystemTest, LongChannelIsPrintedWholeAndMovesTheIndent)
{
    const std::string channel(25, 'c');
    const std::string message(100, 'm');
    const std::string expected =
        channel + ": " + std::string(90, 'm') + "\n" + std::string(37, ' ') + std::string(10, 'm') + "\n";
    EXPECT_EQ(Logged(&Log::Error, channel, message), expected);
}

TEST(LoggingSystemTest, LongMessageWrapsAfter127Columns)
{
    const std::string message(200, 'm');
    const std::string indent(32, ' ');
    const std::string expected = "      System Manager: " + std::string(95, 'm') + "\n" + indent +
                                 std::string(95, 'm') + "\n" + indent + std::string(10, 'm') + "\n";
    EXPECT_EQ(Logged(&Log::Info, "System Manager", message), expected);
}

TEST(LoggingSystemTest, LineFeedIndentsTheNextLineAndRestartsTheColumn)
{
    EXPECT_EQ(Logged(&Log::Info, "System Manager", "a\nb"),
              "      System Manager: a\n" + std::string(32, ' ') + "b\n");

    // After a line feed the counter restarts at 0, so that line holds 127 characters before it wraps.
    const std::string second(130, 'b');
    const std::string expected = "      System Manager: a\n" + std::string(32, ' ') + std::string(127, 'b') +
                                 "\n" + std::string(32, ' ') + "bbb\n";
    EXPECT_EQ(Logged(&Log::Info, "System Manager", "a\n" + second), expected);
}

TEST(LoggingSystemTest, PlainTextWhenNotATerminal)
{
    Testing::LogCapture capture;
    Log::Error("Main", "plain");
    EXPECT_EQ(capture.Text().find('\033'), std::string::npos);
}

TEST(LoggingSystemTest, ColoursFollowTheSeverity)
{
    Testing::LogCapture capture;
    Logging::System::GetInstance().GetConsole().SetColourEnabled(true);
    Log::Info("A", "i");
    Log::Warning("A", "w");
    Log::Error("A", "e");
    Logging::System::GetInstance().GetConsole().SetColourEnabled(false);
    const std::string& text = capture.Text();
    EXPECT_NE(text.find("\033[0;92m i"), std::string::npos);
    EXPECT_NE(text.find("\033[0;93m w"), std::string::npos);
    EXPECT_NE(text.find("\033[0;91m e"), std::string::npos);
    EXPECT_NE(text.find("\033[0;97m                   A:"), std::string::npos);
}

TEST(FormatTest, FormatsLikePrintfAndCutsOverlongText)
{
    EXPECT_EQ(Format("%s_%03d", "box", 2), "box_002");
    const std::string huge(30000, 'h');
    const std::string formatted = Format("%s", huge.c_str());
    EXPECT_EQ(formatted.size(), kMaxFormattedLength);
    EXPECT_EQ(formatted, huge.substr(0, kMaxFormattedLength));
}

TEST(LoggingSystemThreadedTest, LinesOfTwoThreadsNeverInterleave)
{
    constexpr int kMessages = 400;
    const std::string first(60, 'A');
    const std::string second(60, 'B');
    Testing::LogCapture capture;
    std::thread one(
        [&]
        {
            for (int i = 0; i < kMessages; ++i)
            {
                Log::Info("One", first);
            }
        });
    std::thread two(
        [&]
        {
            for (int i = 0; i < kMessages; ++i)
            {
                Log::Warning("Two", second);
            }
        });
    one.join();
    two.join();

    std::istringstream lines(capture.Text());
    std::string line;
    int seen = 0;
    while (std::getline(lines, line))
    {
        const std::string body = WithoutStamp(line);
        EXPECT_TRUE(body == std::string(17, ' ') + "One: " + first ||
                    body == std::string(17, ' ') + "Two: " + second)
            << line;
        ++seen;
    }
    EXPECT_EQ(seen, 2 * kMessages);
}
} // namespace
} // namespace Morvane
