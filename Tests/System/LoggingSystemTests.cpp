#include "LogCapture.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <ranges>
#include <regex>
#include <sstream>
#include <thread>

namespace
{
using namespace Morvane;

// The printed text after the time stamp, which is checked here too.
std::string WithoutStamp(const std::string& line)
{
    EXPECT_TRUE(std::regex_search(line, std::regex("^[0-9]{2}:[0-9]{2}:[0-9]{2}: "))) << line;
    return line.substr(10);
}

TEST(LoggingSystemTest, ExactBytesWithColoursOff)
{
    const std::string indent(32, ' ');
    const std::string longChannel(25, 'c');
    const std::string cases[][3] = {
        {"System Manager", "x", "      System Manager: x" + std::string(19, ' ') + "\n"},
        {"Main", "", std::string(16, ' ') + "Main: " + std::string(20, ' ') + "\n"},
        // A long channel is printed whole and moves the indent.
        {longChannel, std::string(100, 'm'),
         longChannel + ": " + std::string(90, 'm') + "\n" + std::string(37, ' ') + std::string(10, 'm') +
             "\n"},
        {"System Manager", std::string(200, 'm'),
         "      System Manager: " + std::string(95, 'm') + "\n" + indent + std::string(95, 'm') + "\n" +
             indent + std::string(10, 'm') + "\n"},
        // After a line feed the column restarts at 0, so that line holds 127 characters before it wraps.
        {"System Manager", "a\n" + std::string(130, 'b'),
         "      System Manager: a\n" + indent + std::string(127, 'b') + "\n" + indent + "bbb\n"},
    };
    for (const auto& [channel, message, expected] : cases)
    {
        Testing::LogCapture capture;
        Log::Warning(channel, message);
        EXPECT_EQ(WithoutStamp(capture.Text()), expected) << message;
    }
}

TEST(FormatTest, CutsOverlongText)
{
    const std::string huge(30000, 'h');
    EXPECT_EQ(Format("%s", huge.c_str()), huge.substr(0, kMaxFormattedLength));
}

TEST(LoggingSystemThreadedTest, LinesOfTwoThreadsNeverInterleave)
{
    constexpr int kMessages = 400;
    const std::string first(60, 'A');
    const std::string second(60, 'B');
    Testing::LogCapture capture;
    const auto logMany = [](auto log, const std::string& channel, const std::string& message)
    {
        for (int i = 0; i < kMessages; ++i)
        {
            log(channel, message);
        }
    };
    std::thread one(logMany, &Log::Info, "One", first);
    std::thread two(logMany, &Log::Warning, "Two", second);
    one.join();
    two.join();
    std::istringstream lines(capture.Text());
    int seen = 0;
    for (std::string line; std::getline(lines, line); ++seen)
    {
        const std::string body = WithoutStamp(line);
        EXPECT_TRUE(body == std::string(17, ' ') + "One: " + first ||
                    body == std::string(17, ' ') + "Two: " + second)
            << line;
    }
    EXPECT_EQ(seen, 2 * kMessages);
}
} // namespace
