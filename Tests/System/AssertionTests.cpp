#include "Support/MessageBoxRecorder.h"
#include "System/Assert/Assertion.h"

#include <exception>
#include <gtest/gtest.h>
#include <string>

namespace
{
using namespace Morvane;

std::size_t CountLines(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

__attribute__((noinline)) int AssertDeepDown(int depth)
{
    if (depth == 0)
    {
        ReportAssertion("deep", "Source/Deep.cpp", 1);
    }
    // Storing the result keeps the recursion from becoming a loop.
    const volatile int below = depth < 0 ? 0 : AssertDeepDown(depth - 1);
    return below + 1;
}

TEST(Assertion, TextNamesConditionFileLineAndCallStack)
{
    EXPECT_EQ(
        FormatAssertion("parserData", "Source/main.cpp", 76, "\nStartUp\nmain"),
        "Assertion failed: 'parserData' was false.\nSource\\main.cpp: 76\n\nCallStack: \nStartUp\nmain");
    // Without symbols the call-stack part is empty and the rest stays as it is.
    EXPECT_EQ(FormatAssertion("parserData", "Source\\main.cpp", 76, ""),
              "Assertion failed: 'parserData' was false.\nSource\\main.cpp: 76\n\nCallStack: ");
}

TEST(Assertion, ReportShowsOneBoxAndThrowsTheSameText)
{
    Testing::MessageBoxRecorder boxes;
    std::string thrown;
    try
    {
        ReportAssertion("parserData", "Source/main.cpp", 76);
    }
    catch (const std::exception& failure)
    {
        thrown = failure.what();
    }

    const auto shown = boxes.GetBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "");
    EXPECT_EQ(shown[0].text, thrown);
    const std::string head =
        "Assertion failed: 'parserData' was false.\nSource\\main.cpp: 76\n\nCallStack: \n";
    ASSERT_EQ(thrown.rfind(head, 0), 0u) << thrown;
    // Innermost first: the reporter comes before this test, each frame on its own line.
    const std::string stack = thrown.substr(head.size() - 1);
    const auto reporter = stack.find("\nMorvane::ReportAssertion(");
    const auto test = stack.find("TestBody");
    ASSERT_NE(reporter, std::string::npos) << stack;
    ASSERT_NE(test, std::string::npos) << stack;
    EXPECT_LT(reporter, test);
    EXPECT_EQ(stack.find("\n\n"), std::string::npos);
}

TEST(Assertion, MacroNamesTheConditionAndItsLine)
{
    Testing::MessageBoxRecorder boxes;
    const int count = 0;
    const int line = __LINE__ + 1;
    EXPECT_THROW(MORVANE_ASSERT(count > 0), AssertionFailure);
    EXPECT_NO_THROW(MORVANE_ASSERT(count == 0));

    ASSERT_EQ(boxes.GetBoxes().size(), 1u);
    EXPECT_EQ(boxes.GetBoxes()[0].text.rfind(
                  "Assertion failed: 'count > 0' was false.\nTests\\System\\AssertionTests.cpp: " +
                      std::to_string(line) + "\n",
                  0),
              0u);
}

TEST(Assertion, NamedAssertionKeepsItsFixedLine)
{
    Testing::MessageBoxRecorder boxes;
    const void* parserData = nullptr;
    EXPECT_THROW(MORVANE_ASSERT_NAMED(parserData != nullptr, "parserData", 76), std::exception);

    ASSERT_EQ(boxes.GetBoxes().size(), 1u);
    EXPECT_NE(boxes.GetBoxes()[0].text.find("AssertionTests.cpp: 76\n\nCallStack: "), std::string::npos);
}

TEST(Assertion, CallStackHoldsAtMostTwentyFiveFrames)
{
    Testing::MessageBoxRecorder boxes;
    EXPECT_THROW(AssertDeepDown(40), AssertionFailure);

    const std::string text = boxes.GetBoxes().at(0).text;
    const std::string stack = text.substr(text.find("CallStack: ") + std::string("CallStack: ").size());
    EXPECT_GE(CountLines(stack), 20u);
    EXPECT_LE(CountLines(stack), 25u) << stack;
}
} // namespace
