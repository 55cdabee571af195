#include "Parsing/IParserData.h"
#include "Parsing/ReferencedFile/ReferencedFile.h"
#include "Parsing/ReferencedFile/Sections.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "System/Logging/LoggingSystem.h"
#include "System/PathWrapper/PathWrapper.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace
{
using namespace Morvane;
using testing::HasSubstr;
using Testing::LogCapture;
using Testing::TempDirectory;

// Reads as a system does: each child that names a file stands for that file's root, sections only
// group, and a file that cannot be read is logged with this reader's own message.
class Reader
{
public:
    bool Read(IParserData& element)
    {
        return ForEachInSections(
            element, [this](IParserData& child) { return Visit(child); },
            [this] { names.push_back("(section failed)"); });
    }

    std::vector<std::string> names;

private:
    bool Visit(IParserData& child)
    {
        ReferencedFile file(child);
        if (!file.IsNamed())
        {
            names.push_back(child.GetName());
            return child.GetName() != "Stop";
        }
        IParserData* root = file.Read();
        if (root == nullptr)
        {
            Log::Error("Reader", "Could not read '" + file.GetPath() + "'");
            return false;
        }
        names.push_back(root->GetName());
        return Read(*root);
    }
};

TEST(ReferencedFile, ANamedFileStandsForItsElementWithAliasesExpandedAndSectionsEntered)
{
    TempDirectory folder;
    PathWrapper::GetInstance().AddPath("ReferencedFileTests", folder.Path());
    folder.Write("Inner.xml", "<Inner><Section><C/></Section><D/></Inner>");
    const auto tree = Testing::ParseXml(
        "<Root><A/><Section><B/><Pack path='$(ReferencedFileTests)Inner.xml'/></Section><E/></Root>");
    Reader reader;
    ASSERT_TRUE(reader.Read(*tree));
    EXPECT_EQ(reader.names, (std::vector<std::string>{"A", "B", "Inner", "C", "D", "E"}));

    const auto relative = Testing::ParseXml("<Pack path='Data\\Sub/File.xml'/>");
    EXPECT_TRUE(ReferencedFile(*relative).IsNamed());
    EXPECT_EQ(ReferencedFile(*relative).GetPath(), "Data/Sub/File.xml")
        << "kept relative to the working folder";
}

TEST(ReferencedFile, UnreadableFilesAreLeftToTheCallersMessageAndAFileNamingItselfIsRefused)
{
    TempDirectory folder;
    {
        const auto tree =
            Testing::ParseXml("<Root><Pack path='" + folder.Path() + "missing.xml'/><After/></Root>");
        LogCapture log;
        Reader reader;
        EXPECT_FALSE(reader.Read(*tree));
        EXPECT_TRUE(log.ContainsWrapped("Reader: Could not read '" + folder.Path() + "missing.xml'"))
            << log.Text();
        EXPECT_TRUE(reader.names.empty()) << "the walk stops at the failure";
    }
    {
        const auto unnamed = Testing::ParseXml("<Pack name='nothing'/>");
        ReferencedFile file(*unnamed);
        EXPECT_FALSE(file.IsNamed());
        LogCapture log;
        EXPECT_EQ(file.Read(), nullptr);
        EXPECT_THAT(log.Text(), HasSubstr("File Parser: Could not find filename extension"));
    }
    {
        const std::string self = folder.Path() + "Self.xml";
        folder.Write("Self.xml", "<Self><Pack path='" + self + "'/></Self>");
        const auto tree = Testing::ParseXml("<Root><Pack path='" + self + "'/></Root>");
        LogCapture log;
        Reader reader;
        EXPECT_FALSE(reader.Read(*tree));
        EXPECT_TRUE(log.ContainsWrapped("File Parser: File '" + self + "' is nested more than 32 files deep"))
            << log.Text();
        EXPECT_EQ(reader.names.size(), 32u);
    }
}

TEST(Sections, AFailureInsideSectionsStopsTheWalkAndIsReportedOncePerSectionInnermostFirst)
{
    const auto tree =
        Testing::ParseXml("<Root><A/><Section><Section><B/><Stop/><C/></Section><D/></Section><E/></Root>");
    Reader reader;
    EXPECT_FALSE(reader.Read(*tree));
    EXPECT_EQ(reader.names,
              (std::vector<std::string>{"A", "B", "Stop", "(section failed)", "(section failed)"}));

    const auto empty = Testing::ParseXml("<Root><Section/><Section><Section/></Section></Root>");
    Reader emptyReader;
    EXPECT_TRUE(emptyReader.Read(*empty));
    EXPECT_TRUE(emptyReader.names.empty());
}
} // namespace
