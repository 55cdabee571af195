#include "Platform/ExecutablePath.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "System/PathWrapper/PathWrapper.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>

namespace
{
using namespace Morvane;
using Testing::LogCapture;
using Testing::ParseXml;

std::string ExecutableFolder()
{
    const std::string executable = Platform::GetExecutablePath();
    return executable.substr(0, executable.rfind('/') + 1);
}

TEST(PathWrapper, AliasesExpandInPlaceFoldersEndWithASlashAndRedefiningWarns)
{
    PathWrapper& paths = PathWrapper::GetInstance();
    paths.AddPath("Textures", "C:\\Game\\Textures");
    paths.AddPath("Levels", "levels/");
    paths.AddPath("Root", "/games/brimora");
    paths.AddPath("Nested", "$(Root)Levels");
    paths.AddPath("Music", "old\\music");
    const std::pair<std::string, std::string> cases[] = {
        {"$(LocalFolder)Configuration/A.xml", ExecutableFolder() + "Configuration/A.xml"},
        {"Data\\Textures\\wall.png", "Data/Textures/wall.png"},
        {"$(Music)a.ogg", "new/music/a.ogg"},
        {"prefix/$(Textures)wall.png", "prefix/C:/Game/Textures/wall.png"},
        {"$(Levels)$(Textures)", "levels/C:/Game/Textures/"},
        {"$(Levels)a)b", "levels/a)b"},
        {"$(Nested)Level_1.xml", "/games/brimora/Levels/Level_1.xml"},
    };
    LogCapture log;
    paths.AddPath("Music", "new\\music");
    for (const auto& [text, expanded] : cases)
    {
        EXPECT_EQ(paths.Expand(text), expanded);
    }
    // The only log line: redefining an alias warns with both folders.
    EXPECT_EQ(std::count(log.Text().begin(), log.Text().end(), '\n'), 1);
    EXPECT_THAT(log.Text(),
                testing::EndsWith("Path 'Music' already exists. Replacing 'old/music/' by 'new/music/'\n"));
    EXPECT_EQ(PathWrapper::GetFolder("C:\\Game\\Meshes\\cube.obj"), "C:/Game/Meshes/");
    EXPECT_EQ(PathWrapper::GetFolder("cube.obj"), "cube.obj");
}

TEST(PathWrapper, BadTextIsReturnedUnchangedWithAWarning)
{
    PathWrapper& paths = PathWrapper::GetInstance();
    paths.AddPath("Empty", "");
    paths.AddPath("Broken", "$Root");
    // Aliases that refer to themselves through another must stop rather than loop.
    paths.AddPath("Ping", "$(Pong)a");
    paths.AddPath("Pong", "$(Ping)b");
    const std::pair<std::string, std::string> cases[] = {
        {"$LocalFolder)Data\\file.xml", "Bad formatting at '$LocalFolder)Data\\file.xml'"},
        {"$(LocalFolder\\file.xml", "Bad formatting at '$(LocalFolder\\file.xml'"},
        {"Data\\file$", "Bad formatting at 'Data\\file$'"},
        {"$(Broken)x.xml", "Bad formatting at '$(Broken)x.xml'"},
        {"$(Nowhere)\\file.xml", "Bad alias, not found 'Nowhere'"},
        {"$(Empty)file.xml", "Bad alias, not found 'Empty'"},
        {"$()file.xml", "Bad alias, not found ''"},
        {"x/$(Ping)file.xml", "Bad alias, not found '"},
    };
    for (const auto& [text, message] : cases)
    {
        LogCapture log;
        EXPECT_EQ(paths.Expand(text), text);
        EXPECT_THAT(log.Text(), testing::HasSubstr("PathWrapper: " + message));
    }
}

TEST(PathWrapperParse, PathsAreExpandedBeforeTheyAreStoredAndUnknownElementsOrUnreadableFilesAreSkipped)
{
    Testing::TempDirectory folder;
    const std::string file =
        folder.Write("Paths.xml", R"(<Paths><Path alias="Sounds" path="$(DataFolder)Sounds"/></Paths>)");
    PathWrapper& paths = PathWrapper::GetInstance();
    LogCapture log;
    const auto list = ParseXml(R"(<Paths><Path alias="DataFolder" path="$(LocalFolder)Data"/><Folder/>)"
                               R"(<Path alias="Levels" path="$(DataFolder)Levels\Hard"/></Paths>)");
    EXPECT_TRUE(paths.Parse(list.get()));
    EXPECT_TRUE(paths.Parse(ParseXml(R"(<Paths path=")" + file + R"("/>)").get()));
    // A list of nothing the wrapper knows, or a file that does not load, reads no alias.
    EXPECT_FALSE(paths.Parse(ParseXml("<Paths><Folder/></Paths>").get()));
    EXPECT_FALSE(paths.Parse(ParseXml(R"(<Paths path=")" + folder.Path() + R"(Missing.xml"/>)").get()));
    EXPECT_TRUE(log.Contains("Unknown parser element 'Folder'")) << log.Text();
    EXPECT_TRUE(log.Contains("File Parser")) << log.Text();
    EXPECT_EQ(paths.Expand("$(Levels)1.xml"), ExecutableFolder() + "Data/Levels/Hard/1.xml");
    EXPECT_EQ(paths.Expand("$(Sounds)a.wav"), ExecutableFolder() + "Data/Sounds/a.wav");
}

TEST(PathWrapperThreaded, ExpandsOnAnotherThreadWhileAliasesAreAdded)
{
    PathWrapper& paths = PathWrapper::GetInstance();
    paths.AddPath("Sounds", "/data/sounds");
    std::jthread loader(
        [&paths]
        {
            for (int expansion = 0; expansion < 2000; ++expansion)
            {
                ASSERT_EQ(paths.Expand("$(Sounds)a.wav"), "/data/sounds/a.wav");
            }
        });
    for (int alias = 0; alias < 2000; ++alias)
    {
        paths.AddPath("Level" + std::to_string(alias), "/data/levels");
    }
}
} // namespace
