#include "Files/FilesSystem.h"
#include "Support/LogCapture.h"
#include "Support/TempDirectory.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace Morvane
{
namespace
{
using Testing::LogCapture;
using Testing::TempDirectory;

// Rewrites a file and moves its write time on, so that even a coarse clock sees a change.
void Rewrite(const TempDirectory& folder, const std::string& name, const std::string& contents, int step)
{
    const std::string path = folder.Write(name, contents);
    const auto time = std::filesystem::last_write_time(path);
    std::filesystem::last_write_time(path, time + std::chrono::seconds(step));
}

// The system is a process-wide singleton: each test starts and ends with an empty watch list.
class FilesSystem : public testing::Test
{
protected:
    void SetUp() override { Files::System::GetInstance().Release(); }
    void TearDown() override { Files::System::GetInstance().Release(); }
};

TEST_F(FilesSystem, IsASystemThatNeedsNoData)
{
    Files::System& files = Files::System::GetInstance();
    EXPECT_TRUE(files.Initialize());
    EXPECT_TRUE(files.Parse(nullptr));
    EXPECT_EQ(files.GetWatchCount(), 0u);
    files.CheckWatches();
}

TEST_F(FilesSystem, AWatchWithoutCallbackIsRefused)
{
    LogCapture log;
    EXPECT_FALSE(Files::System::GetInstance().AddWatch("Shader", "/tmp/shader.xml", nullptr));
    EXPECT_EQ(Files::System::GetInstance().GetWatchCount(), 0u);
    EXPECT_TRUE(log.Contains("Watch 'Shader' has no callback")) << log.Text();
}

TEST_F(FilesSystem, AChangedFileIsCalledBackOncePerChange)
{
    TempDirectory folder;
    const std::string path = folder.Write("Level.xml", "<Level/>");
    const std::string other = folder.Write("Other.xml", "<Other/>");
    std::vector<std::string> calls;
    Files::System& files = Files::System::GetInstance();
    ASSERT_TRUE(files.AddWatch("Level", path, [&](const std::string& changed) { calls.push_back(changed); }));
    ASSERT_TRUE(
        files.AddWatch("Other", other, [&](const std::string& changed) { calls.push_back(changed); }));

    files.CheckWatches();
    EXPECT_TRUE(calls.empty());

    Rewrite(folder, "Level.xml", "<Level a=\"1\"/>", 1);
    files.CheckWatches();
    files.CheckWatches();
    EXPECT_EQ(calls, std::vector<std::string>{path});

    Rewrite(folder, "Level.xml", "<Level a=\"2\"/>", 2);
    Rewrite(folder, "Other.xml", "<Other a=\"2\"/>", 2);
    files.CheckWatches();
    EXPECT_EQ(calls, (std::vector<std::string>{path, path, other}));
}

TEST_F(FilesSystem, UpdateAloneDoesNotLookAtTheFiles)
{
    TempDirectory folder;
    const std::string path = folder.Write("Level.xml", "<Level/>");
    int calls = 0;
    Files::System& files = Files::System::GetInstance();
    ASSERT_TRUE(files.AddWatch("Level", path, [&](const std::string&) { ++calls; }));
    Rewrite(folder, "Level.xml", "<Level a=\"1\"/>", 1);
    files.Update(0.016f);
    EXPECT_EQ(calls, 0);
    files.CheckWatches();
    EXPECT_EQ(calls, 1);
}

TEST_F(FilesSystem, MissingFilesAreSkippedUntilTheyAppear)
{
    TempDirectory folder;
    const std::string path = folder.Path() + "Later.xml";
    int calls = 0;
    Files::System& files = Files::System::GetInstance();
    ASSERT_TRUE(files.AddWatch("Later", path, [&](const std::string&) { ++calls; }));
    files.CheckWatches();
    EXPECT_EQ(calls, 0);
    folder.Write("Later.xml", "<Later/>");
    files.CheckWatches();
    EXPECT_EQ(calls, 1);
    std::filesystem::remove(path);
    files.CheckWatches();
    EXPECT_EQ(calls, 1);
}

TEST_F(FilesSystem, CallbacksMayAddWatchesAndReleaseEmptiesTheList)
{
    TempDirectory folder;
    const std::string path = folder.Write("Resources.xml", "<Resources/>");
    const std::string added = folder.Write("Added.xml", "<Added/>");
    Files::System& files = Files::System::GetInstance();
    int calls = 0;
    ASSERT_TRUE(files.AddWatch("Resources", path,
                               [&](const std::string&)
                               {
                                   ++calls;
                                   // Enough new watches to make the list grow while it is being walked.
                                   for (int index = 0; index < 64; ++index)
                                   {
                                       files.AddWatch("Added", added, [&](const std::string&) { ++calls; });
                                   }
                               }));
    Rewrite(folder, "Resources.xml", "<Resources a=\"1\"/>", 1);
    files.CheckWatches();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(files.GetWatchCount(), 65u);

    files.Release();
    EXPECT_EQ(files.GetWatchCount(), 0u);
    Rewrite(folder, "Resources.xml", "<Resources a=\"2\"/>", 2);
    files.CheckWatches();
    EXPECT_EQ(calls, 1);
}
} // namespace
} // namespace Morvane
