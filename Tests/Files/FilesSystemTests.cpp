#include "Files/FilesSystem.h"
#include "Support/LogCapture.h"
#include "Support/TempDirectory.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace
{
using namespace Morvane;
using Testing::TempDirectory;

// Rewrites a file and moves its write time on, so that even a coarse clock sees a change.
void Rewrite(const std::string& path, int step)
{
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(step));
    std::filesystem::last_write_time(path,
                                     std::filesystem::last_write_time(path) + std::chrono::seconds(step));
}

TEST(FilesSystem, AChangedFileIsCalledBackOncePerChangeAndOnlyWhenChecked)
{
    TempDirectory folder;
    const std::string level = folder.Write("Level.xml", "<Level/>");
    const std::string later = folder.Path() + "Later.xml";
    std::vector<std::string> calls;
    Files::System& files = Files::System::GetInstance();
    const auto record = [&](const std::string& changed) { calls.push_back(changed); };
    ASSERT_TRUE(files.AddWatch("Level", level, record));
    ASSERT_TRUE(files.AddWatch("Later", later, record));
    files.CheckWatches();
    Rewrite(level, 1);
    files.Update(0.016f);
    EXPECT_TRUE(calls.empty());
    files.CheckWatches();
    files.CheckWatches();
    EXPECT_EQ(calls, std::vector<std::string>{level});

    // A missing file is skipped until it appears.
    Rewrite(level, 2);
    folder.Write("Later.xml", "<Later/>");
    files.CheckWatches();
    std::filesystem::remove(later);
    files.CheckWatches();
    EXPECT_EQ(calls, (std::vector<std::string>{level, level, later}));
    files.Release(); // the callbacks hold this test's locals
}

TEST(FilesSystem, CallbacksMayAddWatchesAndReleaseEmptiesTheList)
{
    TempDirectory folder;
    const std::string path = folder.Write("Resources.xml", "<Resources/>");
    const std::string added = folder.Write("Added.xml", "<Added/>");
    Files::System& files = Files::System::GetInstance();
    int calls = 0;
    {
        Testing::LogCapture log;
        EXPECT_FALSE(files.AddWatch("Shader", path, nullptr));
        EXPECT_TRUE(log.Contains("Watch 'Shader' has no callback")) << log.Text();
    }
    // Enough new watches to make the list grow while it is being walked.
    const auto addMany = [&](const std::string&)
    {
        ++calls;
        for (int index = 0; index < 64; ++index)
        {
            files.AddWatch("Added", added, [&](const std::string&) { ++calls; });
        }
    };
    ASSERT_TRUE(files.AddWatch("Resources", path, addMany));
    Rewrite(path, 1);
    files.CheckWatches();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(files.GetWatchCount(), 65u);

    files.Release();
    EXPECT_EQ(files.GetWatchCount(), 0u);
    Rewrite(path, 2);
    files.CheckWatches();
    EXPECT_EQ(calls, 1);
}
} // namespace
