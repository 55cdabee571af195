#include "Analytics/AnalyticsSystem.h"
#include "ChildProcess.h"
#include "Platform/FaultGuard.h"
#include "Support/LogCapture.h"
#include "Support/MessageBoxRecorder.h"
#include "System/Assert/Assertion.h"
#include "System/Crash/CrashGuard.h"
#include "System/Crash/CrashReport.h"
#include "System/Pool/Pooled.h"

#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>

namespace
{
using namespace Morvane;
using Testing::ChildOutcome;
using Testing::RunInChild;

// Globals, so that the compiler cannot see through the faults and remove them.
int* volatile nullTarget = nullptr;
volatile int zero = 0;
volatile int sink = 0;

__attribute__((noinline, no_sanitize_undefined)) void WriteThroughNullPointer()
{
    *nullTarget = 1;
}

__attribute__((noinline, no_sanitize_undefined)) void DivideByZero()
{
    // A dividend the compiler cannot see, or it turns the division into a comparison.
    sink = sink + 7 / zero;
}

__attribute__((noinline)) int Recurse(int depth)
{
    std::array<volatile char, 512> frame{};
    frame[static_cast<std::size_t>(depth) % frame.size()] = 1;
    // `zero` is never anything else, but the compiler cannot know that the recursion is endless.
    return zero == 0 ? Recurse(depth + 1) + frame[0] : 0;
}

void OverflowStack()
{
    sink = Recurse(0);
}

void FailAssertion()
{
    MORVANE_ASSERT_NAMED(zero == 1, "parserData", 76);
}

void ThrowCouldNotInitialize()
{
    throw "Could not initialize";
}

std::vector<AnalyticsEvent> ErrorEvents()
{
    std::vector<AnalyticsEvent> errors;
    for (const AnalyticsEvent& event : GameAnalytics::System::GetInstance().GetQueuedEvents())
    {
        if (event.category == "error")
        {
            errors.push_back(event);
        }
    }
    return errors;
}

std::size_t CountOccurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    {
        ++count;
    }
    return count;
}

// The child's whole life: the analytics client started as the game starts it, then the guard.
int GuardedChild(void (*run)())
{
    GameAnalytics::System::GetInstance().Initialize();
    const int status = RunWithCrashReport(run);
    std::printf("queued error events: %zu\n", ErrorEvents().size());
    return status;
}

void ExpectCrashReport(const ChildOutcome& outcome, const std::string& name)
{
    EXPECT_TRUE(outcome.exited) << outcome.output;
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.output;
    EXPECT_EQ(CountOccurrences(outcome.output, "=== Error ===\nError: " + name + "\n\n"), 1u)
        << outcome.output;
    EXPECT_NE(outcome.output.find("Error submitted"), std::string::npos) << outcome.output;
    EXPECT_NE(outcome.output.find("queued error events: 1"), std::string::npos) << outcome.output;
}

TEST(CrashGuard, FailedAssertionEndsInOneBoxOneReportAndOneErrorEvent)
{
    Testing::MessageBoxRecorder boxes;
    Testing::LogCapture log;
    GameAnalytics::System::GetInstance().Initialize();

    EXPECT_EQ(RunWithCrashReport(&FailAssertion), 0);
    EXPECT_TRUE(log.Contains("Error submitted"));

    const auto shown = boxes.GetBoxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, "");
    EXPECT_EQ(
        shown[0].text.rfind("Assertion failed: 'parserData' was false.\nTests\\Main\\CrashGuardTests.cpp: "
                            "76\n\nCallStack: \n",
                            0),
        0u)
        << shown[0].text;
    EXPECT_EQ(shown[1].caption, "Error");
    EXPECT_EQ(shown[1].text.rfind("Error: UNHANDLED\n\n", 0), 0u) << shown[1].text;

    const auto errors = ErrorEvents();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].fields.at("message").rfind("UNHANDLED\n\n", 0), 0u);
    EXPECT_EQ(errors[0].fields.at("severity"), "error");
    // No level is running: the report carries no place.
    EXPECT_EQ(errors[0].fields.count("area"), 0u);
    EXPECT_EQ(errors[0].fields.count("x"), 0u);
}

TEST(CrashGuard, ThrownTextReportsUnhandled)
{
    Testing::MessageBoxRecorder boxes;
    GameAnalytics::System::GetInstance().Initialize();

    EXPECT_EQ(RunWithCrashReport(&ThrowCouldNotInitialize), 0);

    const auto shown = boxes.GetBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text.rfind("Error: UNHANDLED\n\n", 0), 0u);
    EXPECT_EQ(ErrorEvents().size(), 1u);
}

TEST(CrashGuard, NormalRunReportsNothing)
{
    Testing::MessageBoxRecorder boxes;
    GameAnalytics::System::GetInstance().Initialize();

    EXPECT_EQ(RunWithCrashReport([] {}), 0);

    EXPECT_TRUE(boxes.GetBoxes().empty());
    EXPECT_TRUE(ErrorEvents().empty());
}

TEST(CrashGuard, ContextProviderAddsLevelAndPlayerPosition)
{
    Testing::MessageBoxRecorder boxes;
    GameAnalytics::System::GetInstance().Initialize();
    SetCrashContextProvider(
        [](AnalyticsEvent& event)
        {
            event.fields["area"] = "Levels/Level_2.xml";
            event.fields["x"] = "1.50";
        });

    ReportCrash(Platform::ExceptionCode::kAccessViolation, "\nSomeFunction()");
    SetCrashContextProvider(nullptr);

    const auto errors = ErrorEvents();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].fields.at("message"), "EXCEPTION_ACCESS_VIOLATION\n\n\nSomeFunction()");
    EXPECT_EQ(errors[0].fields.at("area"), "Levels/Level_2.xml");
    EXPECT_EQ(errors[0].fields.at("x"), "1.50");
    ASSERT_EQ(boxes.GetBoxes().size(), 1u);
    EXPECT_EQ(boxes.GetBoxes()[0].text, "Error: EXCEPTION_ACCESS_VIOLATION\n\n\nSomeFunction()");
}

TEST(CrashReport, NamesEveryProcessorFaultAndNothingElse)
{
    EXPECT_STREQ(GetExceptionName(0xC0000005), "EXCEPTION_ACCESS_VIOLATION");
    EXPECT_STREQ(GetExceptionName(0xC0000094), "EXCEPTION_INT_DIVIDE_BY_ZERO");
    EXPECT_STREQ(GetExceptionName(0xC00000FD), "EXCEPTION_STACK_OVERFLOW");
    EXPECT_STREQ(GetExceptionName(0x80000001), "EXCEPTION_GUARD_PAGE");
    EXPECT_STREQ(GetExceptionName(0xC0000096), "EXCEPTION_PRIV_INSTRUCTION");
    EXPECT_STREQ(GetExceptionName(Platform::ExceptionCode::kProgramException), "UNHANDLED");
    EXPECT_STREQ(GetExceptionName(0), "UNHANDLED");
    EXPECT_STREQ(GetExceptionName(0xC0000007), "UNHANDLED");
}

TEST(CrashGuardFault, NullWriteReportsAccessViolationWithReadableCallStack)
{
    const ChildOutcome outcome = RunInChild([] { return GuardedChild(&WriteThroughNullPointer); });

    ExpectCrashReport(outcome, "EXCEPTION_ACCESS_VIOLATION");
    // The stack is the faulting one, innermost first, not the reporter's.
    const std::string header = "Error: EXCEPTION_ACCESS_VIOLATION\n\n\n";
    const auto report = outcome.output.find(header);
    ASSERT_NE(report, std::string::npos) << outcome.output;
    const auto frameStart = report + header.size();
    const std::string firstFrame =
        outcome.output.substr(frameStart, outcome.output.find('\n', frameStart) - frameStart);
    EXPECT_NE(firstFrame.find("WriteThroughNullPointer"), std::string::npos) << outcome.output;
}

TEST(CrashGuardFault, IntegerDivisionByZeroReportsIntDivideByZero)
{
    ExpectCrashReport(RunInChild([] { return GuardedChild(&DivideByZero); }), "EXCEPTION_INT_DIVIDE_BY_ZERO");
}

TEST(CrashGuardFault, StackOverflowReportsStackOverflow)
{
    ExpectCrashReport(RunInChild([] { return GuardedChild(&OverflowStack); }), "EXCEPTION_STACK_OVERFLOW");
}

TEST(CrashGuardFault, ThrownAssertionInChildEndsInOneAssertionBoxAndOneReport)
{
    const ChildOutcome outcome = RunInChild([] { return GuardedChild(&FailAssertion); });

    ExpectCrashReport(outcome, "UNHANDLED");
    EXPECT_EQ(CountOccurrences(outcome.output, "Assertion failed: 'parserData' was false."), 1u);
}

TEST(CrashGuardFault, EveryLaterFaultIsCaughtToo)
{
    const ChildOutcome outcome = RunInChild(
        []
        {
            const auto first = Platform::RunFaultGuarded(&WriteThroughNullPointer);
            const auto second = Platform::RunFaultGuarded(&DivideByZero);
            const auto third = Platform::RunFaultGuarded(&WriteThroughNullPointer);
            const bool caught = first && first->code == Platform::ExceptionCode::kAccessViolation && second &&
                                second->code == Platform::ExceptionCode::kIntegerDivideByZero && third &&
                                third->code == Platform::ExceptionCode::kAccessViolation;
            return caught ? 0 : 3;
        });

    EXPECT_TRUE(outcome.exited) << outcome.output;
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.output;
}

void AssertInNoexcept() noexcept
{
    MORVANE_ASSERT(zero == 1);
}

TEST(CrashGuardFault, AssertionWhereNothingMayThrowStillEndsInACrashReport)
{
    const ChildOutcome outcome = RunInChild([] { return GuardedChild(+[] { AssertInNoexcept(); }); });

    ExpectCrashReport(outcome, "UNHANDLED");
    // std::terminate repeats the text after "what():"; the box shows it once.
    const std::string text = "Assertion failed: 'zero == 1' was false.";
    EXPECT_EQ(CountOccurrences(outcome.output, text) - CountOccurrences(outcome.output, "what():  " + text),
              1u)
        << outcome.output;
}

struct Stale : Pooled<Stale>
{
    int value = 0;
};

TEST(CrashGuardFault, DeletingAnObjectAfterItsPoolWasReleasedIsReported)
{
    const ChildOutcome outcome = RunInChild(
        []
        {
            return GuardedChild(+[]
                                {
                                    Stale* const stale = new Stale;
                                    PoolRegistry::GetInstance().ReleaseAll();
                                    delete stale;
                                });
        });

    ExpectCrashReport(outcome, "UNHANDLED");
    EXPECT_EQ(CountOccurrences(outcome.output, "'result != Pool::FreeResult::Foreign' was false."), 1u)
        << outcome.output;
}
} // namespace
