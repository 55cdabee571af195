#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "Support/LogCapture.h"
#include "Support/TempDirectory.h"

#include <array>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace
{
using namespace Morvane;
using testing::HasSubstr;
using Testing::LogCapture;
using Testing::TempDirectory;

// Each parse frees the tree of the one before: the sanitizer build reports a leak if not.
TEST(FileParser, ReadsXmlFilesWhateverTheExtensionCaseAndRefusesAnyOtherPath)
{
    TempDirectory folder;
    FileParser parser;
    for (const char* name : {"lower.xml", "upper.XML", "mixed.Xml"})
    {
        IParserData* root =
            parser.Parse(folder.Write(name, "<?xml version=\"1.0\"?>\n<!-- c -->\n<Root><Child/></Root>"));
        ASSERT_NE(root, nullptr) << name;
        EXPECT_EQ(root->GetName(), "Root");
        EXPECT_EQ(root->GetFirstChild()->GetName(), "Child");
    }
    {
        LogCapture log;
        EXPECT_EQ(parser.Parse(folder.Path() + "Configuration/Settings"), nullptr);
        EXPECT_THAT(log.Text(), HasSubstr("File Parser: Could not find filename extension"));
    }
    // A dot in a folder name makes the rest of the path the extension.
    for (const std::string& path : {std::string("/data/v1.2/Settings"), folder.Write("model.obj", "<Root/>"),
                                    folder.Path() + "trailing."})
    {
        LogCapture log;
        EXPECT_EQ(parser.Parse(path), nullptr);
        EXPECT_TRUE(log.ContainsWrapped("File Parser: Could not load file '" + path + "'")) << log.Text();
        EXPECT_THAT(log.Text(), testing::Not(HasSubstr("Error ID")));
    }
}

// Only held trees count, so freeing an outer one, by a failed parse too, makes room again.
TEST(FileParser, RefusesFilesNestedPastTheLimitUntilAnOuterTreeIsFreed)
{
    TempDirectory folder;
    const std::string file = folder.Write("nested.xml", "<Root/>");
    std::array<FileParser, FileParser::kMaxNesting> outer;
    for (FileParser& parser : outer)
    {
        ASSERT_NE(parser.Parse(file), nullptr);
    }
    FileParser inner;
    {
        LogCapture log;
        EXPECT_EQ(inner.Parse(file), nullptr);
        EXPECT_TRUE(log.ContainsWrapped("File Parser: File '" + file + "' is nested more than 32 files deep"))
            << log.Text();
    }
    EXPECT_EQ(outer.back().Parse(folder.Path() + "missing.xml"), nullptr);
    EXPECT_NE(inner.Parse(file), nullptr);
}

TEST(FileParser, BrokenFilesLogTheEngineCodeTheDetailsTheMessageAndTheFile)
{
    TempDirectory folder;
    const std::string cases[][3] = {
        {folder.Write("empty.xml", ""), "15", "XML_ERROR_EMPTY_DOCUMENT"},
        {folder.Write("comment.xml", "<!-- nothing -->"), "15", "XML_ERROR_EMPTY_DOCUMENT"},
        {folder.Write("malformed.xml", "<Root><Child></Root>"), "16", "XML_ERROR_MISMATCHED_ELEMENT"},
        {folder.Write("duplicate.xml", R"(<Root a="1" a="2"/>)"), "8", "XML_ERROR_PARSING_ATTRIBUTE"},
        {folder.Path() + "missing.xml", "3", "XML_ERROR_FILE_NOT_FOUND"},
        // A folder whose name looks like a file.
        {folder.Write("looks.xml/file.xml", "").substr(0, folder.Path().size() + 9), "5",
         "XML_ERROR_FILE_READ_ERROR"},
    };
    for (const auto& [path, id, message] : cases)
    {
        FileParser parser;
        LogCapture log;
        EXPECT_EQ(parser.Parse(path), nullptr) << path;
        // In this order: the code, tinyxml2's details, the message, then the file.
        std::size_t at = 0;
        for (const std::string& part :
             {"Error ID: " + id + " ", std::string("Error string 1: "), std::string("Error string 2: "),
              "Error: " + message + "\n", "Could not load XML file '" + path + "'"})
        {
            at = log.Text().find(part, at);
            EXPECT_NE(at, std::string::npos) << part << "\n" << log.Text();
        }
    }
}

} // namespace
