#include "ConstantManager/ConstantManager.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "System/PathWrapper/PathWrapper.h"

#include <gtest/gtest.h>

namespace
{
using namespace Morvane;
using Testing::LogCapture;
using Testing::ParseXml;

TEST(ConstantManager, ReadsContextsWithTheirDefaultsAndTheLaterDefinitionWins)
{
    // A second context of the same name replaces the first one whole.
    const auto root = ParseXml(
        R"(<List><Context name="C"><Constant name="Old" value="1"/><Constant name="Both" value="2"/></Context>)"
        R"(<Unknown/><Context name="C"><Constant name="Both" value="3"/><Constant name="Both" value="4"/>)"
        R"(<Constant name="Negative" value="-3"/><Other/></Context><Context><Constant value="7"/>)"
        R"(<Constant name="NoValue"/></Context></List>)");
    ConstantManager& constants = ConstantManager::GetInstance();
    LogCapture log;
    EXPECT_TRUE(constants.Parse(root->GetFirstChild()));
    EXPECT_EQ(constants.GetConstant("C", "Both", 0), 4);
    EXPECT_EQ(constants.GetConstant("C", "Negative", 0), -3);
    EXPECT_EQ(constants.GetConstant("NoNamedContext", "", -1), 7);
    EXPECT_EQ(constants.GetConstant("NoNamedContext", "NoValue", -1), 0);
    EXPECT_EQ(constants.GetConstant("C", "Old", 42), 42);
    EXPECT_EQ(constants.GetConstant("Nothing", "GL_LINEAR", 9728), 9728);
    for (const char* message : {"Unknown parser element 'Unknown'", "Unknown parser element 'Other'",
                                "Constant manager", "Tried to find unexistent value 'Old' in context 'C'",
                                "Trying to get constant of unexistent context 'Nothing'"})
    {
        EXPECT_TRUE(log.Contains(message)) << log.Text();
    }
}

TEST(ConstantManager, FilesNamedThroughAliasesAreReadAndUnreadableOnesFailCleanly)
{
    Testing::TempDirectory folder;
    folder.Write("Game.xml", R"(<Context name="Game"><Constant name="Lives" value="3"/></Context>)");
    PathWrapper::GetInstance().AddPath("Here", folder.Path());
    ConstantManager& constants = ConstantManager::GetInstance();
    EXPECT_TRUE(constants.Parse(ParseXml(R"(<Constants path="$(Here)Game.xml"/>)").get()));
    EXPECT_EQ(constants.GetConstant("Game", "Lives", 0), 3);
    // The shipped OpenGL constants: the game's data sits next to the build's executables' parent folder.
    ASSERT_TRUE(constants.Parse(
        ParseXml(R"(<Constants path="$(LocalFolder)../Configuration/Constants/OpenGL.xml"/>)").get()));
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_LINEAR_MIPMAP_LINEAR", 0), 9987);
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_COLOR_ATTACHMENT0", 0), 36064);
    // The parser has logged why the file did not load: the manager fails without an assertion.
    LogCapture log;
    EXPECT_FALSE(constants.Parse(ParseXml(R"(<Constants path="$(Here)Missing.xml"/>)").get()));
    EXPECT_TRUE(log.Contains("File Parser")) << log.Text();
}

} // namespace
