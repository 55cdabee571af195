#include "ConstantManager/ConstantManager.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Support/LogCapture.h"
#include "Support/TempDirectory.h"
#include "System/PathWrapper/PathWrapper.h"

#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

namespace Morvane
{
namespace
{
using Testing::LogCapture;

std::unique_ptr<XMLParserData> Tree(const std::string& xml)
{
    auto node = std::make_unique<XMLParserData>();
    EXPECT_TRUE(node->FromString(xml));
    return node;
}

TEST(ConstantManager, ReadsContextsAndConstants)
{
    const auto data =
        Tree(R"(<Context name="OpenGL"><Constant name="GL_LINEAR" value="9729"/>)"
             R"(<Constant name="GL_NEAREST" value="9728"/><Constant name="Negative" value="-3"/>)"
             R"(<Constant name="GL_LINEAR" value="1"/></Context>)");
    ConstantManager& constants = ConstantManager::GetInstance();
    EXPECT_TRUE(constants.Parse(data.get()));
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_NEAREST", 0), 9728);
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_LINEAR", 0), 1);
    EXPECT_EQ(constants.GetConstant("OpenGL", "Negative", 0), -3);
}

TEST(ConstantManager, DefaultsForNamesAndValues)
{
    const auto data =
        Tree(R"(<Context><Constant value="7"/><Constant name="NoValue"/>)"
             R"(<Constant name="Hex" value="0x1F"/><Constant name="Text" value="12px"/></Context>)");
    ConstantManager& constants = ConstantManager::GetInstance();
    EXPECT_TRUE(constants.Parse(data.get()));
    EXPECT_EQ(constants.GetConstant("NoNamedContext", "", -1), 7);
    EXPECT_EQ(constants.GetConstant("NoNamedContext", "NoValue", -1), 0);
    EXPECT_EQ(constants.GetConstant("NoNamedContext", "Hex", -1), 0);
    EXPECT_EQ(constants.GetConstant("NoNamedContext", "Text", -1), 12);
}

TEST(ConstantManager, ASecondContextOfTheSameNameReplacesTheFirst)
{
    const auto root =
        Tree(R"(<List><Context name="C"><Constant name="Old" value="1"/><Constant name="Both" value="2"/>)"
             R"(</Context><Context name="C"><Constant name="Both" value="3"/></Context></List>)");
    ConstantManager& constants = ConstantManager::GetInstance();
    EXPECT_TRUE(constants.Parse(root->GetFirstChild()));
    EXPECT_EQ(constants.GetConstant("C", "Both", 0), 3);
    LogCapture log;
    EXPECT_EQ(constants.GetConstant("C", "Old", 42), 42);
    EXPECT_TRUE(log.Contains("Tried to find unexistent value 'Old' in context 'C'")) << log.Text();
}

TEST(ConstantManager, MissingContextOrConstantGivesTheDefaultWithAWarning)
{
    ConstantManager& constants = ConstantManager::GetInstance();
    LogCapture log;
    EXPECT_EQ(constants.GetConstant("Nothing", "GL_LINEAR", 9728), 9728);
    EXPECT_TRUE(log.Contains("Constant manager")) << log.Text();
    EXPECT_TRUE(log.Contains("Trying to get constant of unexistent context 'Nothing'")) << log.Text();
}

TEST(ConstantManager, TheListStartsAtTheNodeGivenAndWalksItsSiblings)
{
    const auto root = Tree(R"(<Root><Context name="A"><Constant name="x" value="1"/><Other/></Context>)"
                           R"(<Unknown/><Context name="B"><Constant name="y" value="2"/></Context></Root>)");
    ConstantManager& constants = ConstantManager::GetInstance();
    LogCapture log;
    EXPECT_TRUE(constants.Parse(root->GetFirstChild()));
    EXPECT_TRUE(log.Contains("Unknown parser element 'Other'")) << log.Text();
    EXPECT_TRUE(log.Contains("Unknown parser element 'Unknown'")) << log.Text();
    EXPECT_EQ(constants.GetConstant("A", "x", 0), 1);
    EXPECT_EQ(constants.GetConstant("B", "y", 0), 2);
}

TEST(ConstantManager, ARootNamedConstantsWithoutPathReadsNothing)
{
    const auto data =
        Tree(R"(<Constants><Context name="Hidden"><Constant name="x" value="1"/></Context></Constants>)");
    LogCapture log;
    EXPECT_FALSE(ConstantManager::GetInstance().Parse(data.get()));
    EXPECT_TRUE(log.Contains("Unknown parser element 'Constants'")) << log.Text();
    EXPECT_EQ(ConstantManager::GetInstance().GetConstant("Hidden", "x", -1), -1);
}

TEST(ConstantManager, ConstantsFromAFileNamedThroughAnAlias)
{
    Testing::TempDirectory folder;
    folder.Write("Constants/Game.xml",
                 R"(<Context name="Game"><Constant name="Lives" value="3"/></Context>)");
    PathWrapper::GetInstance().AddPath("Here", folder.Path());
    const auto data = Tree(R"(<Constants path="$(Here)Constants/Game.xml"/>)");
    EXPECT_TRUE(ConstantManager::GetInstance().Parse(data.get()));
    EXPECT_EQ(ConstantManager::GetInstance().GetConstant("Game", "Lives", 0), 3);
}

TEST(ConstantManager, AnUnreadableConstantsFileFailsCleanly)
{
    Testing::TempDirectory folder;
    const std::string broken = folder.Write("Broken.xml", "<Context name=\"X\">");
    const std::string empty = folder.Write("Empty.xml", "");
    for (const std::string& file :
         {folder.Path() + "Missing.xml", broken, empty, folder.Path() + "Constants"})
    {
        const auto data = Tree(R"(<Constants path=")" + file + R"("/>)");
        LogCapture log;
        EXPECT_FALSE(ConstantManager::GetInstance().Parse(data.get())) << file;
        EXPECT_TRUE(log.Contains("File Parser")) << log.Text();
    }
}

TEST(ConstantManager, ANullNodeIsAnAssertion)
{
    try
    {
        ConstantManager::GetInstance().Parse(nullptr);
        FAIL() << "no assertion";
    }
    catch (const std::runtime_error& error)
    {
        const std::string text = error.what();
        EXPECT_NE(text.find("Assertion failed: 'parserData' was false."), std::string::npos) << text;
        EXPECT_NE(text.find("Source\\ConstantManager\\ConstantManager.cpp: 35"), std::string::npos) << text;
    }
}

TEST(ConstantManager, TheShippedOpenGLConstants)
{
    // The game's data sits next to the build's executables' parent folder.
    const auto data = Tree(R"(<Constants path="$(LocalFolder)../Configuration/Constants/OpenGL.xml"/>)");
    ConstantManager& constants = ConstantManager::GetInstance();
    ASSERT_TRUE(constants.Parse(data.get()));
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_NEAREST", 0), 9728);
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_LINEAR_MIPMAP_LINEAR", 0), 9987);
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_CLAMP_TO_EDGE", 0), 33071);
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_RGBA8", 0), 32856);
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_DEPTH_COMPONENT24", 0), 33190);
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_UNSIGNED_BYTE", 0), 5121);
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_TRIANGLES", -1), 4);
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_ARRAY_BUFFER", 0), 34962);
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_STATIC_DRAW", 0), 35044);
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_FUNC_ADD", 0), 32774);
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_ONE_MINUS_SRC_ALPHA", 0), 771);
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_LEQUAL", 0), 515);
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_BACK", 0), 1029);
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_FRAMEBUFFER", 0), 36160);
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_COLOR_ATTACHMENT0", 0), 36064);
    EXPECT_EQ(constants.GetConstant("OpenGL", "GL_DEPTH_ATTACHMENT", 0), 36096);
}
} // namespace
} // namespace Morvane
