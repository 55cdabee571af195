#include "Capture/LogWatch.h"
#include "Support/LogCapture.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace Morvane::Capture
{
namespace
{
TEST(LogWatchThreaded, CountsLinesWithItsTextsFromAnyThreadButNotItsOwnChannel)
{
    const Testing::LogCapture quiet;
    const LogWatch watch({"loaded: 'a'", "$(X)"});
    Log::Info("GameLogic", "Level loaded: 'a'");
    std::thread([] { Log::Warning("Resources", "loaded: 'a' and loaded: 'a' on the load thread"); }).join();
    Log::Error("Capture", "No log line with 'loaded: 'a'' by frame 3");
    Log::Info("Paths", "$(X) stays unexpanded");
    EXPECT_EQ(watch.Count("loaded: 'a'"), 2u);
    EXPECT_EQ(watch.Count("$(X)"), 1u);
    EXPECT_EQ(watch.Count("not watched"), 0u);
}

TEST(LogWatch, ARemovedListenerHearsNothingMore)
{
    const Testing::LogCapture quiet;
    std::vector<std::string> heard;
    {
        const Logging::ListenerHandle listening = Logging::System::GetInstance().AddListener(
            [&heard](const std::string& channel, const std::string& message)
            { heard.push_back(channel + ": " + message); });
        Log::Info("Main", "first\nof two lines");
    }
    Log::Info("Main", "second");
    EXPECT_EQ(heard, std::vector<std::string>{"Main: first\nof two lines"});
}
} // namespace
} // namespace Morvane::Capture
