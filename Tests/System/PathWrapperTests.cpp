#include "Parsing/XMLParserData/XMLParserData.h"
#include "Platform/ExecutablePath.h"
#include "Support/LogCapture.h"
#include "Support/TempDirectory.h"
#include "System/PathWrapper/PathWrapper.h"

#include <gtest/gtest.h>
#include <memory>

namespace Morvane
{
namespace
{
using Testing::LogCapture;

std::string ExecutableFolder()
{
    const std::string executable = Platform::GetExecutablePath();
    return executable.substr(0, executable.rfind('/') + 1);
}

std::unique_ptr<XMLParserData> Tree(const std::string& xml)
{
    auto node = std::make_unique<XMLParserData>();
    EXPECT_TRUE(node->FromString(xml));
    return node;
}

TEST(PathWrapper, LocalFolderIsTheExecutablesFolder)
{
    const std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(PathWrapper::GetInstance().Expand("$(LocalFolder)Configuration/ProjectConfiguration.xml"),
              folder + "Configuration/ProjectConfiguration.xml");
}

TEST(PathWrapper, TextWithoutAliasesOnlyGetsForwardSlashes)
{
    LogCapture log;
    EXPECT_EQ(PathWrapper::GetInstance().Expand("Data\\Textures\\wall.png"), "Data/Textures/wall.png");
    EXPECT_EQ(PathWrapper::GetInstance().Expand(""), "");
    EXPECT_EQ(log.Text(), "");
}

TEST(PathWrapper, BadFormattingReturnsTheInputUnchanged)
{
    PathWrapper& paths = PathWrapper::GetInstance();
    for (const std::string text :
         {"$LocalFolder)Data\\file.xml", "$(LocalFolder\\file.xml", "Data\\file$", "a$b"})
    {
        LogCapture log;
        EXPECT_EQ(paths.Expand(text), text);
        EXPECT_TRUE(log.Contains("PathWrapper")) << log.Text();
        EXPECT_TRUE(log.Contains("Bad formatting at '" + text + "'")) << log.Text();
    }
}

TEST(PathWrapper, UnknownOrEmptyAliasesReturnTheInputUnchanged)
{
    PathWrapper& paths = PathWrapper::GetInstance();
    paths.AddPath("Empty", "");
    {
        LogCapture log;
        EXPECT_EQ(paths.Expand("$(Nowhere)\\file.xml"), "$(Nowhere)\\file.xml");
        EXPECT_TRUE(log.Contains("Bad alias, not found 'Nowhere'")) << log.Text();
    }
    {
        LogCapture log;
        EXPECT_EQ(paths.Expand("$(Empty)file.xml"), "$(Empty)file.xml");
        EXPECT_TRUE(log.Contains("Bad alias, not found 'Empty'")) << log.Text();
    }
    {
        LogCapture log;
        EXPECT_EQ(paths.Expand("$()file.xml"), "$()file.xml");
        EXPECT_TRUE(log.Contains("Bad alias, not found ''")) << log.Text();
    }
}

TEST(PathWrapper, AliasesExpandInPlaceAndFoldersEndWithASlash)
{
    PathWrapper& paths = PathWrapper::GetInstance();
    paths.AddPath("Textures", "C:\\Game\\Textures");
    paths.AddPath("Levels", "levels/");
    EXPECT_EQ(paths.Expand("prefix/$(Textures)wall.png"), "prefix/C:/Game/Textures/wall.png");
    EXPECT_EQ(paths.Expand("$(Levels)$(Textures)"), "levels/C:/Game/Textures/");
    EXPECT_EQ(paths.Expand("$(Levels)a)b"), "levels/a)b");
}

TEST(PathWrapper, FoldersThatReferToAliasesExpandToo)
{
    PathWrapper& paths = PathWrapper::GetInstance();
    paths.AddPath("Root", "/games/brimora");
    paths.AddPath("Levels", "$(Root)Levels");
    EXPECT_EQ(paths.Expand("$(Levels)Level_1.xml"), "/games/brimora/Levels/Level_1.xml");

    paths.AddPath("Broken", "$Root");
    LogCapture log;
    EXPECT_EQ(paths.Expand("$(Broken)x.xml"), "$(Broken)x.xml");
    EXPECT_TRUE(log.Contains("Bad formatting at '$(Broken)x.xml'")) << log.Text();
}

TEST(PathWrapper, SelfReferringAliasesStopWithAWarning)
{
    PathWrapper& paths = PathWrapper::GetInstance();
    paths.AddPath("Self", "$(Self)more");
    paths.AddPath("Ping", "$(Pong)a");
    paths.AddPath("Pong", "$(Ping)b");
    for (const std::string text : {"$(Self)file.xml", "x/$(Ping)file.xml"})
    {
        LogCapture log;
        EXPECT_EQ(paths.Expand(text), text);
        EXPECT_TRUE(log.Contains("Bad alias, not found '")) << log.Text();
    }
}

TEST(PathWrapper, RedefiningAnAliasWarnsWithBothFolders)
{
    PathWrapper& paths = PathWrapper::GetInstance();
    paths.AddPath("Music", "old\\music");
    LogCapture log;
    paths.AddPath("Music", "new\\music");
    EXPECT_TRUE(log.Contains("Path 'Music' already exists. Replacing 'old/music/' by 'new/music/'"))
        << log.Text();
    EXPECT_EQ(paths.Expand("$(Music)a.ogg"), "new/music/a.ogg");
}

TEST(PathWrapper, GetFolderCutsAfterTheLastSlash)
{
    EXPECT_EQ(PathWrapper::GetFolder("C:\\Game\\Meshes\\cube.obj"), "C:/Game/Meshes/");
    EXPECT_EQ(PathWrapper::GetFolder("Meshes/Sub\\cube.obj"), "Meshes/Sub/");
    EXPECT_EQ(PathWrapper::GetFolder("cube.obj"), "cube.obj");
    EXPECT_EQ(PathWrapper::GetFolder("Meshes/"), "Meshes/");
}

TEST(PathWrapperParse, PathElementsAreExpandedBeforeTheyAreStored)
{
    const auto paths = Tree(R"(<Paths><Path alias="DataFolder" path="$(LocalFolder)Data"/>)"
                            R"(<Path alias="Levels" path="$(DataFolder)Levels\Hard"/></Paths>)");
    EXPECT_TRUE(PathWrapper::GetInstance().Parse(paths.get()));
    EXPECT_EQ(PathWrapper::GetInstance().Expand("$(DataFolder)"), ExecutableFolder() + "Data/");
    EXPECT_EQ(PathWrapper::GetInstance().Expand("$(Levels)1.xml"),
              ExecutableFolder() + "Data/Levels/Hard/1.xml");
}

TEST(PathWrapperParse, UnknownElementsAreSkippedAndEmptyListsFail)
{
    const auto mixed = Tree(R"(<Paths><Folder alias="A" path="a"/><Path alias="B" path="b"/></Paths>)");
    const auto empty = Tree("<Paths/>");
    const auto unknownOnly = Tree(R"(<Paths><Folder alias="A" path="a"/></Paths>)");
    LogCapture log;
    EXPECT_TRUE(PathWrapper::GetInstance().Parse(mixed.get()));
    EXPECT_FALSE(PathWrapper::GetInstance().Parse(empty.get()));
    EXPECT_FALSE(PathWrapper::GetInstance().Parse(unknownOnly.get()));
    EXPECT_FALSE(PathWrapper::GetInstance().Parse(nullptr));
    EXPECT_TRUE(log.Contains("Unknown parser element 'Folder'")) << log.Text();
    EXPECT_EQ(PathWrapper::GetInstance().Expand("$(B)x"), "b/x");
}

TEST(PathWrapperParse, PathsFromAnotherFile)
{
    Testing::TempDirectory folder;
    const std::string file =
        folder.Write("Paths.xml", R"(<Paths><Path alias="Sounds" path="$(LocalFolder)Sounds"/></Paths>)");
    const auto paths = Tree(R"(<Paths path=")" + file + R"("/>)");
    EXPECT_TRUE(PathWrapper::GetInstance().Parse(paths.get()));
    EXPECT_EQ(PathWrapper::GetInstance().Expand("$(Sounds)a.wav"), ExecutableFolder() + "Sounds/a.wav");
}

TEST(PathWrapperParse, AnUnreadablePathsFileFailsCleanly)
{
    Testing::TempDirectory folder;
    const std::string broken = folder.Write("Broken.xml", "<Paths><Path alias=\"A\"</Paths>");
    for (const std::string& file : {folder.Path() + "Missing.xml", broken, folder.Path() + "NoExtension"})
    {
        const auto paths = Tree(R"(<Paths path=")" + file + R"("/>)");
        LogCapture log;
        EXPECT_FALSE(PathWrapper::GetInstance().Parse(paths.get()));
        EXPECT_TRUE(log.Contains("File Parser")) << log.Text();
    }
}
} // namespace
} // namespace Morvane
