#include "Parsing/XMLParserData/XMLParserData.h"
#include "Support/LogCapture.h"
#include "Support/TempDirectory.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

namespace Morvane
{
namespace
{
using Testing::LogCapture;

std::unique_ptr<XMLParserData> FromText(const std::string& xml)
{
    auto node = std::make_unique<XMLParserData>();
    EXPECT_TRUE(node->FromString(xml)) << xml;
    return node;
}

// Counts live nodes so that tests can see which ones a destruction freed.
int CountChain(const IParserData* node)
{
    int count = 0;
    for (; node != nullptr; node = node->GetNextSibling())
    {
        ++count;
    }
    return count;
}

// The message as a whole log message, not as the start of a longer one.
bool HasMessage(const std::string& log, const std::string& message)
{
    for (std::size_t found = log.find(message); found != std::string::npos;
         found = log.find(message, found + 1))
    {
        const std::size_t end = found + message.size();
        if (end == log.size() || log[end] == ' ' || log[end] == '\n')
        {
            return true;
        }
    }
    return false;
}

std::string AssertionText(const std::function<void()>& action)
{
    try
    {
        action();
    }
    catch (const std::runtime_error& error)
    {
        return error.what();
    }
    return "";
}

TEST(XMLParserDataGetters, MissingAttributesGiveTheDefault)
{
    XMLParserData node("Node");
    EXPECT_EQ(node.GetAttribute("a", "fallback"), "fallback");
    EXPECT_EQ(node.GetAttributeInt("a", 5), 5);
    EXPECT_FLOAT_EQ(node.GetAttributeFloat("a", 1.5f), 1.5f);
    EXPECT_DOUBLE_EQ(node.GetAttributeDouble("a", 2.25), 2.25);
    EXPECT_TRUE(node.GetAttributeBool("a", true));
    EXPECT_FALSE(node.HasAttribute("a"));
}

TEST(XMLParserDataGetters, PresentAttributesAreAlwaysConverted)
{
    const auto node = FromText(R"(<N empty="" digits="12abc" letters="abc" big="2.5e3" hex="0x10" )"
                               R"(yes="true" capital="True" one="1" negative="-7"/>)");
    EXPECT_EQ(node->GetAttributeInt("empty", 5), 0);
    EXPECT_EQ(node->GetAttributeInt("digits", 5), 12);
    EXPECT_EQ(node->GetAttributeInt("letters", 5), 0);
    EXPECT_EQ(node->GetAttributeInt("hex", 5), 0);
    EXPECT_EQ(node->GetAttributeInt("negative", 0), -7);
    EXPECT_FLOAT_EQ(node->GetAttributeFloat("big", 0.0f), 2500.0f);
    EXPECT_FLOAT_EQ(node->GetAttributeFloat("empty", 3.0f), 0.0f);
    EXPECT_DOUBLE_EQ(node->GetAttributeDouble("digits", 0.0), 12.0);
    EXPECT_TRUE(node->GetAttributeBool("yes", false));
    EXPECT_FALSE(node->GetAttributeBool("capital", true));
    EXPECT_FALSE(node->GetAttributeBool("one", true));
    EXPECT_FALSE(node->GetAttributeBool("empty", true));
    EXPECT_EQ(node->GetAttribute("empty", "x"), "");
}

TEST(XMLParserDataSetters, WriteTheStreamForms)
{
    XMLParserData node("Node");
    node.SetAttributeFloat("tenth", 0.1f);
    node.SetAttributeFloat("half", 0.5f);
    node.SetAttributeFloat("tiny", 0.0000001f);
    node.SetAttributeDouble("large", 1234567.0);
    node.SetAttributeInt("count", -42);
    node.SetAttributeBool("on", true);
    node.SetAttributeBool("off", false);
    EXPECT_EQ(node.GetAttribute("tenth", ""), "0.1");
    EXPECT_EQ(node.GetAttribute("half", ""), "0.5");
    EXPECT_EQ(node.GetAttribute("tiny", ""), "1e-07");
    EXPECT_EQ(node.GetAttribute("large", ""), "1.23457e+06");
    EXPECT_EQ(node.GetAttribute("count", ""), "-42");
    EXPECT_EQ(node.GetAttribute("on", ""), "true");
    EXPECT_EQ(node.GetAttribute("off", ""), "false");

    node.SetAttribute("count", "replaced");
    EXPECT_EQ(node.GetAttribute("count", ""), "replaced");
    node.SetName("Renamed");
    node.SetInnerText("inner");
    EXPECT_EQ(node.GetName(), "Renamed");
    EXPECT_EQ(node.GetInnerText(), "inner");
}

TEST(XMLParserDataTree, AddChildAppendsAfterTheLastChild)
{
    XMLParserData root("Root");
    IParserData* first = root.AddChild("First");
    EXPECT_EQ(root.GetFirstChild(), first);
    IParserData* second = root.AddChild("Second");
    IParserData* third = root.AddChild("Third");
    EXPECT_EQ(root.GetFirstChild(), first);
    EXPECT_EQ(first->GetNextSibling(), second);
    EXPECT_EQ(second->GetNextSibling(), third);
    EXPECT_EQ(third->GetNextSibling(), nullptr);
    EXPECT_EQ(third->GetName(), "Third");
}

TEST(XMLParserDataTree, FromStringBuildsChildrenInDocumentOrder)
{
    const auto node = FromText("<a><b/><c/></a>");
    EXPECT_EQ(node->GetName(), "a");
    const IParserData* b = node->GetFirstChild();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetName(), "b");
    ASSERT_NE(b->GetNextSibling(), nullptr);
    EXPECT_EQ(b->GetNextSibling()->GetName(), "c");
    EXPECT_EQ(b->GetNextSibling()->GetNextSibling(), nullptr);
    EXPECT_EQ(node->GetNextSibling(), nullptr);
}

TEST(XMLParserDataTree, KeepsOnlyTheFirstTextAndSkipsOtherNodeKinds)
{
    const auto node = FromText("<a>first<!-- note --><b>inner</b>second<!-- more --><c/></a>");
    EXPECT_EQ(node->GetInnerText(), "first");
    EXPECT_EQ(CountChain(node->GetFirstChild()), 2);
    EXPECT_EQ(node->GetFirstChild()->GetInnerText(), "inner");

    const auto commentFirst = FromText("<a><!-- note -->text</a>");
    EXPECT_EQ(commentFirst->GetInnerText(), "");

    const auto cdata = FromText("<a><![CDATA[x < y && z]]></a>");
    EXPECT_EQ(cdata->GetInnerText(), "x < y && z");
}

// Ownership mistakes show as leaks or double frees under the sanitizer build of this program.
TEST(XMLParserDataTree, ANodeOwnsItsSubtreeAndItsLaterSiblings)
{
    auto root = std::make_unique<XMLParserData>("Root");
    IParserData* first = root->AddChild("A");
    first->AddChild("A1")->AddChild("A2");
    root->AddChild("B")->AddChild("B1");
    root->AddChild("C");
    EXPECT_EQ(CountChain(root->GetFirstChild()), 3);

    // Refilling the first child frees its old subtree and the siblings after it.
    ASSERT_TRUE(first->FromString("<X><Y/></X>"));
    EXPECT_EQ(CountChain(root->GetFirstChild()), 1);
    EXPECT_EQ(root->GetFirstChild()->GetName(), "X");
    EXPECT_EQ(CountChain(root->GetFirstChild()->GetFirstChild()), 1);

    // A failed refill frees them too.
    root->AddChild("D");
    EXPECT_EQ(CountChain(root->GetFirstChild()), 2);
    {
        LogCapture log;
        EXPECT_FALSE(first->FromString("<broken>"));
    }
    EXPECT_EQ(CountChain(root->GetFirstChild()), 1);
    EXPECT_EQ(first->GetFirstChild(), nullptr);

    root.reset();
}

TEST(XMLParserDataTree, CloneIsDeepAndHasNoSibling)
{
    const auto node = FromText(R"(<a k="v"><b x="1">text</b><c/></a>)");
    const IParserData* b = node->GetFirstChild();
    std::unique_ptr<IParserData> copy(b->Clone());
    EXPECT_EQ(copy->GetNextSibling(), nullptr);
    EXPECT_EQ(copy->GetName(), "b");
    EXPECT_EQ(copy->GetInnerText(), "text");
    EXPECT_EQ(copy->GetAttribute("x", ""), "1");

    std::unique_ptr<IParserData> whole(node->Clone());
    whole->GetFirstChild()->SetAttribute("x", "2");
    EXPECT_EQ(b->GetAttribute("x", ""), "1");
    EXPECT_EQ(whole->ToString(),
              [&]
              {
                  node->GetFirstChild()->SetAttribute("x", "2");
                  return node->ToString();
              }());
}

TEST(XMLParserDataToString, WritesTheEngineLayout)
{
    XMLParserData leaf("Leaf");
    leaf.SetAttribute("a", "1");
    EXPECT_EQ(leaf.ToString(), "<Leaf a=\"1\" >\n</Leaf>\n");

    leaf.SetAttribute("b", "2");
    const std::string twoAttributes = leaf.ToString();
    EXPECT_TRUE(twoAttributes == "<Leaf a=\"1\"  b=\"2\" >\n</Leaf>\n" ||
                twoAttributes == "<Leaf b=\"2\"  a=\"1\" >\n</Leaf>\n")
        << twoAttributes;

    XMLParserData root("Root");
    root.AddChild("Child")->SetInnerText("text");
    root.AddChild("Other");
    EXPECT_EQ(root.ToString(), "<Root>\n<Child>\ntext</Child>\n<Other>\n</Other>\n</Root>\n");
}

TEST(XMLParserDataToString, DoubleQuotesAreLoggedAndReplaced)
{
    XMLParserData node("Node");
    node.SetAttribute("say", "a \"quoted\" word");
    LogCapture log;
    EXPECT_EQ(node.ToString(), "<Node say=\"a 'quoted' word\" >\n</Node>\n");
    const std::string& text = log.Text();
    EXPECT_NE(text.find("Data cannot have double quotes"), std::string::npos);
    EXPECT_EQ(text.find("Data cannot have double quotes"), text.rfind("Data cannot have double quotes"));
}

TEST(XMLParserDataToString, DoubleQuoteInTheNameAndTheValueLogsTwice)
{
    XMLParserData node("Node");
    node.SetAttribute("a\"b", "c\"d");
    LogCapture log;
    EXPECT_EQ(node.ToString(), "<Node a'b=\"c'd\" >\n</Node>\n");
    const std::string& text = log.Text();
    const std::size_t first = text.find("Data cannot have double quotes");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(text.find("Data cannot have double quotes", first + 1), std::string::npos);
}

TEST(XMLParserDataToString, BrokenInvariantsAreAssertions)
{
    XMLParserData unnamed;
    const std::string noName = AssertionText([&] { (void)unnamed.ToString(); });
    EXPECT_NE(noName.find("Assertion failed: '!GetName().empty()' was false."), std::string::npos) << noName;
    EXPECT_NE(noName.find("Source\\Parsing\\XMLParserData\\XMLParserData.cpp: 50"), std::string::npos)
        << noName;

    XMLParserData mixed("Mixed");
    mixed.SetInnerText("text");
    mixed.AddChild("Child");
    const std::string textBesideChildren = AssertionText([&] { (void)mixed.ToString(); });
    EXPECT_NE(textBesideChildren.find("'m_innerText.empty()' was false."), std::string::npos);
    EXPECT_NE(textBesideChildren.find("XMLParserData.cpp: 78"), std::string::npos);

    const std::string nullTarget = AssertionText([] { XMLParserData::LoadFile("any.xml", nullptr); });
    EXPECT_NE(nullTarget.find("'target' was false."), std::string::npos);
    EXPECT_NE(nullTarget.find("XMLParserData.cpp: 500"), std::string::npos);
}

TEST(XMLParserDataRoundTrip, MarkupCharactersAndQuotesSurviveSaveAndLoad)
{
    XMLParserData root("Level");
    root.SetAttribute("title", "Tom & Jerry <3");
    root.SetAttribute("quote", "it's");
    root.SetAttribute("lines", "one\r\ntwo\rthree");
    IParserData* child = root.AddChild("Text");
    child->SetInnerText("a < b && c > d");
    child->SetAttribute("said", "\"hi\"");
    root.AddChild("Empty");
    root.AddChild("Blank")->SetInnerText(" \n\t");
    IParserData* deep = root.AddChild("Deep")->AddChild("Deeper");
    deep->SetInnerText("\nstarts with a line feed");

    std::string saved;
    {
        LogCapture log;
        saved = root.ToString();
        EXPECT_TRUE(log.Contains("Data cannot have double quotes"));
    }
    const auto loaded = FromText(saved);
    EXPECT_EQ(loaded->GetAttribute("title", ""), "Tom & Jerry <3");
    EXPECT_EQ(loaded->GetAttribute("quote", ""), "it's");
    EXPECT_EQ(loaded->GetAttribute("lines", ""), "one\r\ntwo\rthree");
    const IParserData* text = loaded->GetFirstChild();
    EXPECT_EQ(text->GetInnerText(), "a < b && c > d");
    EXPECT_EQ(text->GetAttribute("said", ""), "'hi'");
    EXPECT_EQ(text->GetNextSibling()->GetInnerText(), "");
    EXPECT_EQ(text->GetNextSibling()->GetNextSibling()->GetInnerText(), " \n\t");
    EXPECT_EQ(text->GetNextSibling()->GetNextSibling()->GetNextSibling()->GetFirstChild()->GetInnerText(),
              "\nstarts with a line feed");

    // A second cycle changes nothing: no text grows or drifts.
    const auto reloaded = FromText(loaded->ToString());
    EXPECT_EQ(reloaded->ToString().size(), saved.size());
    EXPECT_EQ(reloaded->GetAttribute("title", ""), "Tom & Jerry <3");
    EXPECT_EQ(reloaded->GetFirstChild()->GetInnerText(), "a < b && c > d");
}

TEST(XMLParserDataFromString, ReplacesTheWholeContentOfAReusedNode)
{
    XMLParserData node("Old");
    node.SetAttribute("stale", "1");
    node.SetInnerText("stale text");
    node.AddChild("StaleChild");
    ASSERT_TRUE(node.FromString(R"(<New fresh="2"/>)"));
    EXPECT_EQ(node.GetName(), "New");
    EXPECT_FALSE(node.HasAttribute("stale"));
    EXPECT_EQ(node.GetInnerText(), "");
    EXPECT_EQ(node.GetFirstChild(), nullptr);
    // Reading the same text twice must not see its own attributes as duplicates.
    EXPECT_TRUE(node.FromString(R"(<New fresh="2"/>)"));
    EXPECT_EQ(node.GetAttribute("fresh", ""), "2");
}

struct ErrorCase
{
    const char* xml;
    const char* message;
};

class XMLParserDataFromStringErrors : public testing::TestWithParam<ErrorCase>
{
};

TEST_P(XMLParserDataFromStringErrors, LogTheMessageAndFail)
{
    XMLParserData node("Node");
    node.AddChild("Child");
    LogCapture log;
    EXPECT_FALSE(node.FromString(GetParam().xml));
    EXPECT_TRUE(HasMessage(log.Text(), GetParam().message)) << log.Text();
    EXPECT_EQ(node.GetFirstChild(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, XMLParserDataFromStringErrors,
    testing::Values(ErrorCase{"", "Error: XML_ERROR_EMPTY_DOCUMENT"},
                    ErrorCase{"   \n ", "Error: XML_ERROR_EMPTY_DOCUMENT"},
                    ErrorCase{"<!-- only a comment -->", "Error: XML_ERROR_EMPTY_DOCUMENT"},
                    ErrorCase{"<a>", "Error: XML_ERROR_MISMATCHED_ELEMENT"},
                    ErrorCase{"<a></b>", "Error: XML_ERROR_MISMATCHED_ELEMENT"},
                    ErrorCase{"<a x=1/>", "Error: XML_ERROR_PARSING_ATTRIBUTE"},
                    ErrorCase{R"(<a x="1" x="2"/>)", "Error: XML_ERROR_PARSING_ATTRIBUTE"},
                    ErrorCase{"<a><!-- open", "Error: XML_ERROR_PARSING_COMMENT"},
                    ErrorCase{"<a><![CDATA[open", "Error: XML_ERROR_PARSING_CDATA"},
                    ErrorCase{"<a>text", "Error: XML_ERROR_PARSING_TEXT"},
                    ErrorCase{"<?xml version", "Error: XML_ERROR_PARSING_DECLARATION"},
                    ErrorCase{"<!DOCTYPE", "Error: XML_ERROR_PARSING_UNKNOWN"},
                    ErrorCase{"<a/ >", "Error: XML_ERROR_PARSING_ELEMENT"}));

TEST(XMLParserDataFromString, NestingIsBoundedByTheReader)
{
    const auto nested = [](int depth)
    {
        std::string xml;
        for (int level = 0; level < depth; ++level)
        {
            xml += "<n>";
        }
        for (int level = 0; level < depth; ++level)
        {
            xml += "</n>";
        }
        return xml;
    };
    XMLParserData node;
    EXPECT_TRUE(node.FromString(nested(90)));
    LogCapture log;
    EXPECT_FALSE(node.FromString(nested(5000)));
    EXPECT_TRUE(HasMessage(log.Text(), "Error: XML_ERROR_PARSING")) << log.Text();
}

TEST(XMLParserDataLoadFile, LogsTheEngineCodeTheDetailsAndTheMessage)
{
    Testing::TempDirectory folder;
    const std::string duplicate = folder.Write("duplicate.xml", R"(<a x="1" x="2"/>)");
    XMLParserData node;
    LogCapture log;
    EXPECT_FALSE(XMLParserData::LoadFile(duplicate, &node));
    const std::string& text = log.Text();
    EXPECT_NE(text.find("Error ID: 8"), std::string::npos) << text;
    EXPECT_NE(text.find("Error string 1: "), std::string::npos);
    EXPECT_NE(text.find("Error string 2: "), std::string::npos);
    EXPECT_NE(text.find("Error: XML_ERROR_PARSING_ATTRIBUTE"), std::string::npos);
    EXPECT_LT(text.find("Error ID: 8"), text.find("Error string 1: "));
    EXPECT_LT(text.find("Error string 2: "), text.find("Error: XML_ERROR_PARSING_ATTRIBUTE"));
}

TEST(XMLParserDataLoadFile, FileErrorsUseTheEngineNumbering)
{
    Testing::TempDirectory folder;
    const std::string empty = folder.Write("empty.xml", "");
    const std::string comment = folder.Write("comment.xml", "<!-- nothing here -->\n");
    const std::string mismatch = folder.Write("mismatch.xml", "<a><b></a>");
    const std::string directory = folder.Write("folder.xml/inside.xml", "<a/>");
    (void)directory;

    const struct
    {
        std::string path;
        const char* id;
        const char* message;
    } cases[] = {
        {folder.Path() + "missing.xml", "Error ID: 3", "Error: XML_ERROR_FILE_NOT_FOUND"},
        {empty, "Error ID: 15", "Error: XML_ERROR_EMPTY_DOCUMENT"},
        {comment, "Error ID: 15", "Error: XML_ERROR_EMPTY_DOCUMENT"},
        {mismatch, "Error ID: 16", "Error: XML_ERROR_MISMATCHED_ELEMENT"},
        {folder.Path() + "folder.xml", "Error ID: 5", "Error: XML_ERROR_FILE_READ_ERROR"},
    };
    for (const auto& testCase : cases)
    {
        XMLParserData node;
        LogCapture log;
        EXPECT_FALSE(XMLParserData::LoadFile(testCase.path, &node)) << testCase.path;
        EXPECT_TRUE(HasMessage(log.Text(), testCase.id)) << log.Text();
        EXPECT_TRUE(HasMessage(log.Text(), testCase.message)) << log.Text();
    }
}

TEST(XMLParserDataLoadFile, ReadsTheFirstElementIntoTheTarget)
{
    Testing::TempDirectory folder;
    const std::string path = folder.Write(
        "data.xml", "<?xml version=\"1.0\"?>\n<!-- header -->\n<Root a=\"1\">\n<Child/>\n</Root>\n");
    XMLParserData node;
    ASSERT_TRUE(XMLParserData::LoadFile(path, &node));
    EXPECT_EQ(node.GetName(), "Root");
    EXPECT_EQ(node.GetAttributeInt("a", 0), 1);
    ASSERT_NE(node.GetFirstChild(), nullptr);
    EXPECT_EQ(node.GetFirstChild()->GetName(), "Child");
}
} // namespace
} // namespace Morvane
