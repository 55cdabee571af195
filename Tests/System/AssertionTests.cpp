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
    const std::string head = "Assertion failed: 'parserData' was false.\nSource\\main.cpp: 76\n\nCallStack: ";
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
    ASSERT_EQ(thrown.rfind(head + "\n", 0), 0u) << thrown;
    // Innermost first: the reporter comes before this test, each frame on its own line.
    const std::string stack = thrown.substr(head.size());
    const auto reporter = stack.find("\nMorvane::ReportAssertion(");
    ASSERT_NE(reporter, std::string::npos) << stack;
    EXPECT_LT(reporter, stack.find("TestBody"));
    EXPECT_EQ(stack.find("\n\n"), std::string::npos);
}

// The named form, which start-up uses, is checked by the crash guard's tests.
TEST(Assertion, MacroNamesTheConditionAndTheLine)
{
    Testing::MessageBoxRecorder boxes;
    const int count = 0;
    const int line = __LINE__ + 1;
    EXPECT_THROW(MORVANE_ASSERT(count > 0), AssertionFailure);
    EXPECT_NO_THROW(MORVANE_ASSERT(count == 0));
    ASSERT_EQ(boxes.GetBoxes().size(), 1u);
    EXPECT_EQ(boxes.GetBoxes()[0].text.rfind("Assertion failed: 'count > 0' was false.\n"
                                             "Tests\\System\\AssertionTests.cpp: " +
                                                 std::to_string(line) + "\n",
                                             0),
              0u);
}
} // namespace
