#include "Parsing/ParserDataUtilities/ParserDataUtilities.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Support/GeneratedXml.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>

namespace
{
using namespace Morvane;
using testing::HasSubstr;
using Testing::LogCapture;
using Testing::ParseXml;

int CountChain(const IParserData* node)
{
    int count = 0;
    for (; node != nullptr; node = node->GetNextSibling())
    {
        ++count;
    }
    return count;
}

std::string Repeat(const std::string& text, int count)
{
    std::string repeated;
    while (count-- > 0)
    {
        repeated += text;
    }
    return repeated;
}

TEST(XMLParserData, TypedGettersConvertWhatIsPresentAndDefaultOnlyWhenMissing)
{
    const auto node = ParseXml(R"(<N empty="" digits="12abc" big="2.5e3" hex="0x10" )"
                               R"(yes="true" capital="True" one="1"/>)");
    EXPECT_EQ(node->GetAttributeInt("missing", 5), 5);
    EXPECT_EQ(node->GetAttributeInt("empty", 5), 0);
    EXPECT_EQ(node->GetAttributeInt("digits", 5), 12);
    EXPECT_EQ(node->GetAttributeInt("hex", 5), 0);
    EXPECT_FLOAT_EQ(node->GetAttributeFloat("big", 0.0f), 2500.0f);
    EXPECT_TRUE(node->GetAttributeBool("yes", false));
    EXPECT_FALSE(node->GetAttributeBool("capital", true));
    EXPECT_FALSE(node->GetAttributeBool("one", true));
    EXPECT_FALSE(node->GetAttributeBool("empty", true));
}

TEST(XMLParserData, TypedSettersWriteTheStreamForms)
{
    XMLParserData node("Node");
    node.SetAttributeFloat("tenth", 0.1f);
    node.SetAttributeFloat("tiny", 0.0000001f);
    node.SetAttributeDouble("large", 1234567.0);
    node.SetAttributeBool("on", true);
    node.SetAttributeBool("off", false);
    EXPECT_EQ(node.GetAttribute("tenth", ""), "0.1");
    EXPECT_EQ(node.GetAttribute("tiny", ""), "1e-07");
    EXPECT_EQ(node.GetAttribute("large", ""), "1.23457e+06");
    EXPECT_EQ(node.GetAttribute("on", "") + node.GetAttribute("off", ""), "truefalse");
}

TEST(XMLParserData, ChildrenInDocumentOrderAndOnlyTheFirstText)
{
    const auto node = ParseXml("<a>first<!-- note --><b>inner</b>second<!-- more --><c/></a>");
    EXPECT_EQ(node->GetInnerText(), "first");
    ASSERT_EQ(CountChain(node->GetFirstChild()), 2);
    EXPECT_EQ(node->GetFirstChild()->GetInnerText(), "inner");
    EXPECT_EQ(node->GetFirstChild()->GetNextSibling()->GetName(), "c");
    EXPECT_EQ(ParseXml("<a><!-- note -->text</a>")->GetInnerText(), "");
    EXPECT_EQ(ParseXml("<a><![CDATA[x < y && z]]></a>")->GetInnerText(), "x < y && z");
}

// Ownership mistakes show as leaks or double frees under the sanitizer build of this program.
TEST(XMLParserData, ANodeOwnsItsSubtreeAndItsLaterSiblings)
{
    auto root = std::make_unique<XMLParserData>("Root");
    IParserData* first = root->AddChild("A");
    first->SetAttribute("stale", "1");
    first->AddChild("A1")->AddChild("A2");
    root->AddChild("B")->AddChild("B1");
    IParserData* third = root->AddChild("C");
    EXPECT_EQ(first->GetNextSibling()->GetNextSibling(), third);

    // Refilling the first child replaces all it held and frees the siblings after it, even when it fails.
    ASSERT_TRUE(first->FromString(R"(<X stale="2"><Y/></X>)"));
    EXPECT_EQ(first->ToString(), "<X stale=\"2\" >\n<Y>\n</Y>\n</X>\n");
    EXPECT_EQ(CountChain(root->GetFirstChild()), 1);
    EXPECT_EQ(CountChain(root->GetFirstChild()->GetFirstChild()), 1);
    root->AddChild("D");
    LogCapture log;
    EXPECT_FALSE(first->FromString("<broken>"));
    EXPECT_EQ(CountChain(root->GetFirstChild()), 1);
    EXPECT_EQ(first->GetFirstChild(), nullptr);
}

// A read tree shares the parsed document; a changed node takes its own content, and copies and
// refilled nodes must not read a document that is gone (the sanitizer build of this program sees that).
TEST(XMLParserData, ChangedCopiedAndRefilledNodesKeepTheirOwnContent)
{
    auto root = ParseXml(R"(<Level name="one"><Wall a="1" b="x &amp; y" c="3">text</Wall><Door/></Level>)");
    IParserData* wall = root->GetFirstChild();
    wall->SetAttribute("b", "changed");
    wall->SetAttribute("d", "4");
    wall->SetInnerText("new text");
    EXPECT_EQ(wall->ToString(), "<Wall a=\"1\"  b=\"changed\"  c=\"3\"  d=\"4\" >\nnew text</Wall>\n");
    wall->SetName("Floor");
    EXPECT_EQ(root->ToString(), "<Level name=\"one\" >\n<Floor a=\"1\"  b=\"changed\"  c=\"3\"  d=\"4\" >\n"
                                "new text</Floor>\n<Door>\n</Door>\n</Level>\n");

    const std::unique_ptr<IParserData> copy(root->Clone());
    ASSERT_TRUE(root->FromString(R"(<Other kind="second"><Child/></Other>)"));
    EXPECT_EQ(root->ToString(), "<Other kind=\"second\" >\n<Child>\n</Child>\n</Other>\n");
    EXPECT_EQ(copy->GetAttribute("name", ""), "one");
    EXPECT_EQ(copy->GetFirstChild()->GetNextSibling()->GetName(), "Door");
    root.reset();
    EXPECT_EQ(copy->GetFirstChild()->GetAttribute("b", ""), "changed");
    EXPECT_EQ(copy->GetFirstChild()->GetAttributeInt("c", 0), 3);
}

TEST(XMLParserData, ToStringWritesTheEngineLayoutAndReplacesDoubleQuotes)
{
    XMLParserData root("Root");
    root.AddChild("Child")->SetInnerText("text");
    root.AddChild("Other")->SetAttribute("a", "1");
    EXPECT_EQ(root.ToString(), "<Root>\n<Child>\ntext</Child>\n<Other a=\"1\" >\n</Other>\n</Root>\n");

    XMLParserData quoted("Node");
    quoted.SetAttribute("a\"b", "c\"d");
    LogCapture log;
    EXPECT_EQ(quoted.ToString(), "<Node a'b=\"c'd\" >\n</Node>\n");
    // Once for the name and once for the value.
    EXPECT_THAT(log.Text(), testing::ContainsRegex("Data cannot have double quotes(.|\n)*"
                                                   "Data cannot have double quotes"));
}

TEST(XMLParserData, MarkupCharactersAndQuotesSurviveSaveAndLoad)
{
    XMLParserData root("Level");
    root.SetAttribute("title", "Tom & Jerry <3");
    root.SetAttribute("lines", "it's\r\ntwo\rthree");
    IParserData* child = root.AddChild("Text");
    child->SetInnerText("a < b && c > d");
    child->SetAttribute("said", "\"hi\"");
    root.AddChild("Deep")->AddChild("Deeper")->SetInnerText("\nstarts with a line feed");
    root.AddChild("Blank")->SetInnerText("\n\v\n\t");

    LogCapture log;
    const std::string saved = root.ToString();
    const auto loaded = ParseXml(saved);
    EXPECT_EQ(loaded->GetAttribute("title", ""), "Tom & Jerry <3");
    EXPECT_EQ(loaded->GetAttribute("lines", ""), "it's\r\ntwo\rthree");
    const IParserData* text = loaded->GetFirstChild();
    EXPECT_EQ(text->GetInnerText(), "a < b && c > d");
    EXPECT_EQ(text->GetAttribute("said", ""), "'hi'");
    EXPECT_EQ(text->GetNextSibling()->GetFirstChild()->GetInnerText(), "\nstarts with a line feed");
    EXPECT_EQ(text->GetNextSibling()->GetNextSibling()->GetInnerText(), "\n\v\n\t");
    // A second cycle changes nothing: no text grows or drifts.
    EXPECT_EQ(ParseXml(loaded->ToString())->ToString().size(), saved.size());
}

TEST(XMLParserData, MalformedTextLogsTheErrorAndFails)
{
    const std::pair<std::string, const char*> cases[] = {
        {"", "Error: XML_ERROR_EMPTY_DOCUMENT"},
        {"<!-- only a comment -->", "Error: XML_ERROR_EMPTY_DOCUMENT"},
        {"<a></b>", "Error: XML_ERROR_MISMATCHED_ELEMENT"},
        {R"(<a x="1" x="2"/>)", "Error: XML_ERROR_PARSING_ATTRIBUTE"},
        {"<a><!-- open", "Error: XML_ERROR_PARSING_COMMENT"},
        // Nesting is bounded by the reader, so deep input cannot exhaust the stack.
        {Repeat("<n>", 5000) + Repeat("</n>", 5000), "Error: XML_ERROR_PARSING\n"},
    };
    for (const auto& [xml, message] : cases)
    {
        XMLParserData node("Node");
        node.AddChild("Child");
        LogCapture log;
        EXPECT_FALSE(node.FromString(xml)) << xml.substr(0, 40);
        EXPECT_THAT(log.Text(), HasSubstr(message));
        EXPECT_EQ(node.GetFirstChild(), nullptr);
    }
    ParseXml(Repeat("<n>", 90) + Repeat("</n>", 90));
}

TEST(ParserDataVectors, WrittenWithSixDecimalsAndReadBackWithMissingPiecesZero)
{
    XMLParserData node("Object");
    EXPECT_EQ(ParserDataUtilities::GetAttributeVec3(node, "position", glm::vec3(1.0f)), glm::vec3(1.0f));
    ParserDataUtilities::SetAttributeVector(node, "position", glm::vec3(1.0f, 2.5f, 0.0f));
    EXPECT_EQ(node.GetAttribute("position", ""), "1.000000 ;2.500000 ;0.000000 ;");
    node.SetAttribute("size", " 0.5 ; -3");
    EXPECT_EQ(ParserDataUtilities::GetAttributeVec2(node, "size", glm::vec2(1.0f)), glm::vec2(0.5f, -3.0f));
    EXPECT_EQ(ParserDataUtilities::ToVec3("1;2"), glm::vec3(1.0f, 2.0f, 0.0f));
    EXPECT_EQ(ParserDataUtilities::ToVec3("abc;2;x;4"), glm::vec3(0.0f, 2.0f, 0.0f));
    EXPECT_EQ(ParserDataUtilities::ToVec4(""), glm::vec4(0.0f));
    // Large values must fit the written text.
    EXPECT_FLOAT_EQ(ParserDataUtilities::ToVec4(ParserDataUtilities::ToText(glm::vec4(3.0e38f))).w, 3.0e38f);
}
// The load thread frees trees the main thread parsed and the other way round; the nodes' blocks come
// back to their own thread's pools and make later trees without damage.
TEST(XMLParserDataThreaded, TreesFreedOnTheLoadThreadAreReusedIntact)
{
    const std::string xml =
        R"(<Pack name="p"><Texture name="a" path="a.png"/><Sound name="b">text</Sound></Pack>)";
    const std::string expected = ParseXml(xml)->ToString();
    for (int round = 0; round < 50; ++round)
    {
        auto mainTree = ParseXml(xml);
        std::unique_ptr<XMLParserData> loadTree;
        std::thread(
            [&]
            {
                mainTree.reset();
                loadTree = ParseXml(xml);
            })
            .join();
        EXPECT_EQ(ParseXml(xml)->ToString(), expected);
        loadTree.reset();
        EXPECT_EQ(ParseXml(xml)->ToString(), expected);
    }
}
// Readers on several threads share cached trees: reading one must write nothing.
TEST(XMLParserDataThreaded, OneTreeIsReadFromTwoThreadsAtOnce)
{
    const auto tree = ParseXml(Testing::GenerateXml(20'000, 4));
    const auto read = [&tree]
    {
        std::size_t total = 0;
        for (const IParserData* section = tree->GetFirstChild(); section != nullptr;
             section = section->GetNextSibling())
        {
            for (const IParserData* object = section->GetFirstChild(); object != nullptr;
                 object = object->GetNextSibling())
            {
                total += object->GetAttribute("archetype", "").size() + object->GetName().size();
                total += object->GetFirstChild()->GetInnerText().size();
            }
        }
        return total;
    };
    std::size_t first = 0;
    std::size_t second = 0;
    std::thread other([&] { first = read(); });
    second = read();
    other.join();
    EXPECT_EQ(first, second);
    EXPECT_GT(first, 0u);
}

// FNV-1a: a fingerprint of a whole saved file.
std::uint64_t Fingerprint(const std::string& text)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char character : text)
    {
        hash = (hash ^ static_cast<unsigned char>(character)) * 1099511628211ull;
    }
    return hash;
}

// Large generated files read and saved again give byte for byte what the engine has always saved for
// them (the fingerprints and lengths of those saves are recorded here).
TEST(XMLParserData, LargeFilesSaveTheSameBytesAsBefore)
{
    struct Case
    {
        std::size_t bytes;
        std::uint32_t seed;
        std::size_t length;
        std::uint64_t fingerprint;
    };
    const Case cases[] = {
        {100'000, 1, 103'793, 12043103648901119068ull},
        {1'000'000, 2, 1'019'283, 15601358994338216498ull},
        {5'000'000, 3, 5'088'375, 16869204158721876578ull},
    };
    for (const Case& expected : cases)
    {
        // The files hold double quotes in single-quoted values, which saving reports.
        LogCapture log;
        const std::string saved = ParseXml(Testing::GenerateXml(expected.bytes, expected.seed))->ToString();
        EXPECT_TRUE(log.Contains("Data cannot have double quotes"));
        EXPECT_EQ(saved.size(), expected.length) << expected.bytes;
        EXPECT_EQ(Fingerprint(saved), expected.fingerprint) << expected.bytes;
    }
}
} // namespace
