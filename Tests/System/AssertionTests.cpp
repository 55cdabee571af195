#include "Support/MessageBoxRecorder.h"
#include "System/Assert/Assertion.h"

#include <exception>
#include <gtest/gtest.h>
#include <string>

namespace
{
using namespace Morvane;

TEST(Assertion, ReportShowsOneBoxAndThrowsTheSameTextWithTheCallStack)
{
    // Without symbols the call-stack part is empty and the rest stays as it is.
    EXPECT_EQ(FormatAssertion("parserData", "Source/main.cpp", 76, ""),
              "Assertion failed: 'parserData' was false.\nSource\\main.cpp: 76\n\nCallStack: ");
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
    ASSERT_NE(reporter, std::string::npos) << stack;
    EXPECT_LT(reporter, stack.find("TestBody"));
    EXPECT_EQ(stack.find("\n\n"), std::string::npos);
}

TEST(Assertion, MacrosNameTheConditionAndTheLine)
{
    Testing::MessageBoxRecorder boxes;
    const int count = 0;
    const void* parserData = nullptr;
    const int line = __LINE__ + 1;
    EXPECT_THROW(MORVANE_ASSERT(count > 0), AssertionFailure);
    EXPECT_NO_THROW(MORVANE_ASSERT(count == 0));
    EXPECT_THROW(MORVANE_ASSERT_NAMED(parserData != nullptr, "parserData", 76), AssertionFailure);

    const auto shown = boxes.GetBoxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(
        shown[0].text.rfind("Assertion failed: 'count > 0' was false.\nTests\\System\\AssertionTests.cpp: " +
                                std::to_string(line) + "\n",
                            0),
        0u);
    EXPECT_EQ(shown[1].text.rfind(
                  "Assertion failed: 'parserData' was false.\nTests\\System\\AssertionTests.cpp: 76\n", 0),
              0u);
}
} // namespace
