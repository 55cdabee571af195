#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "Support/LogCapture.h"
#include "Support/TempDirectory.h"

#include <gtest/gtest.h>

namespace Morvane
{
namespace
{
using Testing::LogCapture;
using Testing::TempDirectory;

TEST(FileParser, ReadsAnXmlFileWhateverTheExtensionCase)
{
    TempDirectory folder;
    FileParser parser;
    for (const char* name : {"lower.xml", "upper.XML", "mixed.Xml"})
    {
        const std::string path = folder.Write(name, R"(<Root value="3"><Child/></Root>)");
        IParserData* root = parser.Parse(path);
        ASSERT_NE(root, nullptr) << name;
        EXPECT_EQ(root->GetName(), "Root");
        EXPECT_EQ(root->GetAttributeInt("value", 0), 3);
    }
}

TEST(FileParser, PathWithoutAnyDotHasNoExtension)
{
    TempDirectory folder;
    FileParser parser;
    LogCapture log;
    EXPECT_EQ(parser.Parse(folder.Path() + "Configuration/Settings"), nullptr);
    EXPECT_TRUE(log.Contains("File Parser")) << log.Text();
    EXPECT_TRUE(log.Contains("Could not find filename extension")) << log.Text();
}

TEST(FileParser, ADotInAFolderNameMakesTheRestTheExtension)
{
    FileParser parser;
    LogCapture log;
    EXPECT_EQ(parser.Parse("/data/v1.2/Settings"), nullptr);
    EXPECT_TRUE(log.Contains("Could not load file '/data/v1.2/Settings'")) << log.Text();
    EXPECT_FALSE(log.Contains("Could not find filename extension"));
}

TEST(FileParser, OtherExtensionsAreRefused)
{
    TempDirectory folder;
    const std::string path = folder.Write("model.obj", "<Root/>");
    FileParser parser;
    LogCapture log;
    EXPECT_EQ(parser.Parse(path), nullptr);
    EXPECT_EQ(parser.Parse(folder.Path() + "trailing."), nullptr);
    EXPECT_TRUE(log.Contains("Could not load file '" + path + "'")) << log.Text();
    EXPECT_TRUE(log.Contains("Could not load file '" + folder.Path() + "trailing.'")) << log.Text();
    EXPECT_FALSE(log.Contains("Error ID"));
}

TEST(FileParser, EmptyFileFailsWithCodeFifteen)
{
    TempDirectory folder;
    const std::string path = folder.Write("empty.xml", "");
    FileParser parser;
    LogCapture log;
    EXPECT_EQ(parser.Parse(path), nullptr);
    const std::string& text = log.Text();
    EXPECT_NE(text.find("Error ID: 15"), std::string::npos) << text;
    EXPECT_NE(text.find("Error: XML_ERROR_EMPTY_DOCUMENT"), std::string::npos);
    EXPECT_NE(text.find("Could not load XML file '" + path + "'"), std::string::npos);
    EXPECT_LT(text.find("Error: XML_ERROR_EMPTY_DOCUMENT"), text.find("Could not load XML file"));
}

TEST(FileParser, BrokenFilesFailCleanly)
{
    TempDirectory folder;
    const struct
    {
        std::string path;
        const char* message;
    } cases[] = {
        {folder.Write("comment.xml", "<!-- nothing -->"), "Error: XML_ERROR_EMPTY_DOCUMENT"},
        {folder.Write("malformed.xml", "<Root><Child></Root>"), "Error: XML_ERROR_MISMATCHED_ELEMENT"},
        {folder.Write("unclosed.xml", "<Root>"), "Error: XML_ERROR_MISMATCHED_ELEMENT"},
        {folder.Write("garbage.xml", "<Root/>\n<"), "Error ID: 17 "},
        {folder.Write("duplicate.xml", R"(<Root a="1" a="2"/>)"), "Error: XML_ERROR_PARSING_ATTRIBUTE"},
        {folder.Path() + "missing.xml", "Error: XML_ERROR_FILE_NOT_FOUND"},
        {folder.Write("looks.xml/like-a-file.xml", "<Root/>").substr(0, folder.Path().size() + 9),
         "Error: XML_ERROR_FILE_READ_ERROR"},
    };
    for (const auto& testCase : cases)
    {
        FileParser parser;
        LogCapture log;
        EXPECT_EQ(parser.Parse(testCase.path), nullptr) << testCase.path;
        EXPECT_TRUE(log.Contains(testCase.message)) << log.Text();
        EXPECT_TRUE(log.Contains("Could not load XML file '" + testCase.path + "'")) << log.Text();
    }
}

TEST(FileParser, ParsingAgainFreesTheFirstTreeEvenWhenTheSecondFails)
{
    TempDirectory folder;
    const std::string good = folder.Write("good.xml", "<Root><A/><B/></Root>");
    const std::string other = folder.Write("other.xml", "<Other/>");
    FileParser parser;
    ASSERT_NE(parser.Parse(good), nullptr);
    IParserData* second = parser.Parse(other);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->GetName(), "Other");
    LogCapture log;
    EXPECT_EQ(parser.Parse(folder.Path() + "missing.xml"), nullptr);
    // The sanitizer build reports a leak if the held tree was not freed.
}
} // namespace
} // namespace Morvane
