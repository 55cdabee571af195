#include "Analytics/AnalyticsSystem.h"
#include "Analytics/Request.h"
#include "Platform/FaultGuard.h"
#include "Support/ChildProcess.h"
#include "Support/LogCapture.h"
#include "Support/LoopbackServer.h"
#include "Support/MessageBoxRecorder.h"
#include "System/Assert/Assertion.h"
#include "System/Crash/CrashGuard.h"
#include "System/Crash/CrashReport.h"
#include "System/Pool/Pooled.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
using namespace Morvane;
using Testing::ChildOutcome;
using Testing::LoopbackServer;
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

// The client pointed at `server` as the data would point it at a local collector.
GameAnalytics::Endpoint LocalCollector(const LoopbackServer& server)
{
    GameAnalytics::Endpoint endpoint;
    endpoint.host = "127.0.0.1";
    endpoint.port = server.Port();
    return endpoint;
}

std::string HeaderValue(const std::string& header, const std::string& name)
{
    const std::string key = "\r\n" + name + ": ";
    const std::size_t start = header.find(key);
    if (start == std::string::npos)
    {
        return {};
    }
    const std::size_t valueStart = start + key.size();
    return header.substr(valueStart, header.find("\r\n", valueStart) - valueStart);
}

// Everything the server received must be one signed "error" event whose message starts with
// `messageStart` (as it reads in the body: JSON-escaped, after the service's character replacements).
void ExpectOneErrorRequest(const LoopbackServer& server, const std::string& messageStart)
{
    const GameAnalytics::Endpoint endpoint = LocalCollector(server);
    const std::vector<LoopbackServer::Request> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const LoopbackServer::Request& request = requests[0];
    EXPECT_EQ(request.header.rfind("POST /1/" + endpoint.gameKey + "/error HTTP/1.1\r\n", 0), 0u)
        << request.header;
    EXPECT_NE(request.body.find("\"message\":\"" + messageStart), std::string::npos) << request.body;
    EXPECT_NE(request.body.find(R"("severity":"error")"), std::string::npos) << request.body;
    // The signing itself is checked against an independent MD5 in the analytics tests.
    EXPECT_EQ(HeaderValue(request.header, "Authorization"),
              GameAnalytics::Request::Sign(request.body, endpoint.secretKey))
        << request.header;
}

// Posts what the report queued: what the game's exit does.
void FinishPosting()
{
    GameAnalytics::System::GetInstance().Shutdown();
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

// The child's whole life: the analytics client started as the game starts it, then the guard. Its exit
// posts the report to the parent's server.
int GuardedChild(const LoopbackServer& server, void (*run)())
{
    GameAnalytics::System::GetInstance().Initialize(LocalCollector(server));
    return RunWithCrashReport(run);
}

void ExpectCrashReport(const ChildOutcome& outcome, const LoopbackServer& server, const std::string& name)
{
    EXPECT_TRUE(outcome.exited) << "signal " << outcome.signal << "\n" << outcome.output;
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.output;
    EXPECT_EQ(CountOccurrences(outcome.output, "=== Error ===\nError: " + name + "\n\n"), 1u)
        << outcome.output;
    EXPECT_NE(outcome.output.find("Error submitted"), std::string::npos) << outcome.output;
    ExpectOneErrorRequest(server, name + "\\n\\n");
}

// These run the analytics worker beside the test's server.
TEST(CrashGuardThreaded, FailedAssertionEndsInOneBoxOneReportAndOneErrorEvent)
{
    const LoopbackServer server;
    Testing::MessageBoxRecorder boxes;
    Testing::LogCapture log;
    GameAnalytics::System::GetInstance().Initialize(LocalCollector(server));

    EXPECT_EQ(RunWithCrashReport(&FailAssertion), 0);
    FinishPosting();

    EXPECT_TRUE(log.Contains("Main: Error submitted"));
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

    ExpectOneErrorRequest(server, R"(UNHANDLED\n\n)");
    ASSERT_EQ(server.Requests().size(), 1u);
    // No level is running: the report carries no place.
    EXPECT_EQ(server.Requests()[0].body.find(R"("area")"), std::string::npos);
    EXPECT_EQ(server.Requests()[0].body.find(R"("x")"), std::string::npos);
}

TEST(CrashGuardThreaded, ThrownTextReportsUnhandled)
{
    const LoopbackServer server;
    Testing::MessageBoxRecorder boxes;
    GameAnalytics::System::GetInstance().Initialize(LocalCollector(server));

    EXPECT_EQ(RunWithCrashReport(&ThrowCouldNotInitialize), 0);
    FinishPosting();

    const auto shown = boxes.GetBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text.rfind("Error: UNHANDLED\n\n", 0), 0u);
    ExpectOneErrorRequest(server, R"(UNHANDLED\n\n)");
}

TEST(CrashGuardThreaded, NormalRunReportsNothing)
{
    const LoopbackServer server;
    Testing::MessageBoxRecorder boxes;
    GameAnalytics::System::GetInstance().Initialize(LocalCollector(server));

    EXPECT_EQ(RunWithCrashReport([] {}), 0);
    FinishPosting();

    EXPECT_TRUE(boxes.GetBoxes().empty());
    EXPECT_TRUE(server.Requests().empty());
}

TEST(CrashGuardThreaded, ContextProviderAddsLevelAndPlayerPosition)
{
    const LoopbackServer server;
    Testing::MessageBoxRecorder boxes;
    GameAnalytics::System::GetInstance().Initialize(LocalCollector(server));
    SetCrashContextProvider(
        [](AnalyticsEvent& event)
        {
            event.fields["area"] = "Levels/Level_2.xml";
            event.fields["x"] = "1.50";
        });

    ReportCrash(Platform::ExceptionCode::kAccessViolation, "\nSomeFunction()");
    SetCrashContextProvider(nullptr);
    FinishPosting();

    ExpectOneErrorRequest(server, R"(EXCEPTION_ACCESS_VIOLATION\n\n\nSomeFunction%28%29",)");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_NE(server.Requests()[0].body.find(R"("area":"Levels/Level_2.xml")"), std::string::npos);
    EXPECT_NE(server.Requests()[0].body.find(R"("x":"1.50")"), std::string::npos);
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

// These forked tests are not "Threaded": ThreadSanitizer refuses to start threads in a child forked
// from a threaded process, and the parent's server thread is running when they fork.
TEST(CrashGuardFault, NullWriteReportsAccessViolationWithReadableCallStack)
{
    const LoopbackServer server;
    const ChildOutcome outcome = RunInChild([&] { return GuardedChild(server, &WriteThroughNullPointer); });

    ExpectCrashReport(outcome, server, "EXCEPTION_ACCESS_VIOLATION");
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
    const LoopbackServer server;
    ExpectCrashReport(RunInChild([&] { return GuardedChild(server, &DivideByZero); }), server,
                      "EXCEPTION_INT_DIVIDE_BY_ZERO");
}

TEST(CrashGuardFault, StackOverflowReportsStackOverflow)
{
    const LoopbackServer server;
    ExpectCrashReport(RunInChild([&] { return GuardedChild(server, &OverflowStack); }), server,
                      "EXCEPTION_STACK_OVERFLOW");
}

TEST(CrashGuardFault, ThrownAssertionInChildEndsInOneAssertionBoxAndOneReport)
{
    const LoopbackServer server;
    const ChildOutcome outcome = RunInChild([&] { return GuardedChild(server, &FailAssertion); });

    ExpectCrashReport(outcome, server, "UNHANDLED");
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
    const LoopbackServer server;
    const ChildOutcome outcome = RunInChild(
        [&]
        {
            return GuardedChild(
                server, +[] { AssertInNoexcept(); });
        });

    ExpectCrashReport(outcome, server, "UNHANDLED");
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
    const LoopbackServer server;
    const ChildOutcome outcome = RunInChild(
        [&]
        {
            return GuardedChild(
                server,
                +[]
                {
                    Stale* const stale = new Stale;
                    PoolRegistry::GetInstance().ReleaseAll();
                    delete stale;
                });
        });

    ExpectCrashReport(outcome, server, "UNHANDLED");
    EXPECT_EQ(CountOccurrences(outcome.output, "'result != Pool::FreeResult::Foreign' was false."), 1u)
        << outcome.output;
}
} // namespace
