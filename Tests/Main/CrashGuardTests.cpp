#include "Analytics/AnalyticsSystem.h"
#include "Main/CrashGuard.h"
#include "Main/CrashReport.h"
#include "Platform/FaultGuard.h"
#include "Support/ChildProcess.h"
#include "Support/LogCapture.h"
#include "Support/LoopbackServer.h"
#include "Support/MessageBoxRecorder.h"
#include "Support/ParseXml.h"
#include "System/Assert/Assertion.h"
#include "SystemManager/SystemManager.h"

#include <array>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

namespace
{
using namespace Morvane;
using Testing::ChildOutcome;
using Testing::CountOf;
using Testing::LoopbackServer;

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

__attribute__((noinline)) void OverflowStack()
{
    std::array<volatile char, 512> frame{};
    // `zero` is never anything else, but the compiler cannot know that the recursion is endless.
    if (zero == 0)
    {
        OverflowStack();
    }
    sink = frame[0]; // used after the call, which therefore is no tail call
}

void FailAssertion()
{
    MORVANE_ASSERT_NAMED(zero == 1, "parserData", 76);
}

// A lock that the clean-up at exit takes, held when the fault strikes, as a fault inside the display
// connection leaves the connection's lock.
std::mutex exitLock;
struct TakesTheLockAtExit
{
    ~TakesTheLockAtExit() { const std::lock_guard held(exitLock); }
};

__attribute__((noinline)) void FaultHoldingALockTheExitNeeds()
{
    static const TakesTheLockAtExit atExit;
    exitLock.lock();
    WriteThroughNullPointer();
}

void AssertInNoexcept() noexcept
{
    MORVANE_ASSERT(zero == 1);
}

// Everything the server received must be one "error" event whose message starts with
// `messageStart` (as it reads in the body: JSON-escaped, after the service's character replacements).
void ExpectOneErrorRequest(const LoopbackServer& server, const std::string& messageStart)
{
    const std::vector<LoopbackServer::Request> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const LoopbackServer::Request& request = requests[0];
    EXPECT_EQ(request.header.rfind("POST /1/" + server.Collector().gameKey + "/error HTTP/1.1\r\n", 0), 0u)
        << request.header;
    EXPECT_NE(request.body.find("\"message\":\"" + messageStart), std::string::npos) << request.body;
    EXPECT_NE(request.body.find(R"("severity":"error")"), std::string::npos) << request.body;
}

// Runs `run` under the guard with the analytics client started as the game starts it; posts what the
// report queued, as the game's exit does.
int RunGuarded(const LoopbackServer& server, void (*run)())
{
    GameAnalytics::System::GetInstance().Initialize(server.Collector());
    const int status = RunWithCrashReport(run);
    GameAnalytics::System::GetInstance().Shutdown();
    return status;
}

// Runs the analytics worker beside the test's server.
TEST(CrashGuardThreaded, FailedAssertionEndsInOneBoxOneReportAndOneErrorEventWithThePlayersPlace)
{
    const LoopbackServer server;
    Testing::MessageBoxRecorder boxes;
    Testing::LogCapture log;
    SetCrashContextProvider(
        [](AnalyticsEvent& event)
        {
            event.fields["area"] = "Levels/Level_2.xml";
            event.fields["x"] = "1.50";
        });

    EXPECT_EQ(RunGuarded(server, &FailAssertion), 0);
    SetCrashContextProvider(nullptr);

    EXPECT_TRUE(log.Contains("Main: Error submitted"));
    const auto shown = boxes.GetBoxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, "");
    // The box's full text is checked through the built game's start-up.
    EXPECT_EQ(shown[0].text.rfind("Assertion failed: 'parserData' was false.\n", 0), 0u) << shown[0].text;
    EXPECT_EQ(shown[1].caption, "Error");
    EXPECT_EQ(shown[1].text.rfind("Error: UNHANDLED\n\n", 0), 0u) << shown[1].text;
    ExpectOneErrorRequest(server, R"(UNHANDLED\n\n)");
    EXPECT_NE(server.Requests().at(0).body.find(R"("area":"Levels/Level_2.xml")"), std::string::npos);
    EXPECT_NE(server.Requests().at(0).body.find(R"("x":"1.50")"), std::string::npos);
}

// These forked tests are not "Threaded": ThreadSanitizer refuses to start threads in a child forked
// from a threaded process, and the parent's server thread is running when they fork.
TEST(CrashGuardFault, EachFaultInAChildEndsInOneReportOneErrorEventAndExitStatusZero)
{
    struct Fault
    {
        void (*run)();
        std::string name;
        std::string textOnce; // in the child's output exactly once
    };
    const std::vector<Fault> faults = {
        // The call stack is the faulting one, innermost first, not the reporter's.
        {&WriteThroughNullPointer, "EXCEPTION_ACCESS_VIOLATION",
         "Error: EXCEPTION_ACCESS_VIOLATION\n\n\nWriteThroughNullPointer\n"},
        {&DivideByZero, "EXCEPTION_INT_DIVIDE_BY_ZERO",
         "Error: EXCEPTION_INT_DIVIDE_BY_ZERO\n\n\nDivideByZero\n"},
        {&OverflowStack, "EXCEPTION_STACK_OVERFLOW", "Error: EXCEPTION_STACK_OVERFLOW\n"},
        {+[] { throw "Could not initialize"; }, "UNHANDLED", "Error: UNHANDLED\n"},
        // std::terminate repeats the text after "what():"; the box shows it once.
        {+[] { AssertInNoexcept(); }, "UNHANDLED", "Assertion failed: 'zero == 1' was false."},
        // A fault after one already caught: its signal must not be left blocked.
        {+[]
         {
             Platform::RunFaultGuarded(&WriteThroughNullPointer);
             WriteThroughNullPointer();
         },
         "EXCEPTION_ACCESS_VIOLATION", "Error: EXCEPTION_ACCESS_VIOLATION\n\n\nWriteThroughNullPointer\n"},
        // The process must still end, and not wait on the lock at exit.
        {&FaultHoldingALockTheExitNeeds, "EXCEPTION_ACCESS_VIOLATION",
         "Error: EXCEPTION_ACCESS_VIOLATION\n\n\nWriteThroughNullPointer\n"},
    };
    for (std::size_t index = 0; index < faults.size(); ++index)
    {
        const Fault& fault = faults[index];
        SCOPED_TRACE(testing::Message() << "fault " << index << ": " << fault.textOnce);
        const LoopbackServer server;
        const ChildOutcome outcome = Testing::RunInChild([&] { return RunGuarded(server, fault.run); });

        EXPECT_TRUE(outcome.exited && outcome.exitStatus == 0) << "signal " << outcome.signal << "\n"
                                                               << outcome.output;
        EXPECT_EQ(CountOf(outcome.output, "=== Error ===\nError: " + fault.name + "\n\n"), 1u)
            << outcome.output;
        EXPECT_EQ(CountOf(outcome.output, fault.textOnce) -
                      CountOf(outcome.output, "what():  " + fault.textOnce),
                  1u)
            << outcome.output;
        EXPECT_NE(outcome.output.find("Error submitted"), std::string::npos) << outcome.output;
        ExpectOneErrorRequest(server, fault.name + "\\n\\n");
    }
}

// The systems, built after the manager, are destroyed before it at exit: a crash that leaves them
// listed must not make the manager's destruction call into them.
TEST(CrashGuardFault, CrashWithSystemsListedEndsInOneReportAndExitStatusZero)
{
    const ChildOutcome outcome = Testing::RunInChild(
        []
        {
            return RunWithCrashReport(
                []
                {
                    SystemManager& manager = SystemManager::GetInstance();
                    manager.ParseSystemsConfiguration(Testing::ParseXml(R"(<SystemsConfiguration>
                        <UpdateOrder><FileSystem/></UpdateOrder>
                        <ReleaseOrder><FileSystem/><GameSystem/></ReleaseOrder>
                    </SystemsConfiguration>)")
                                                          .get());
                    throw "Could not initialize";
                });
        });

    EXPECT_TRUE(outcome.exited && outcome.exitStatus == 0) << "signal " << outcome.signal << "\n"
                                                           << outcome.output;
    EXPECT_EQ(CountOf(outcome.output, "=== Error ===\nError: UNHANDLED\n\n"), 1u) << outcome.output;
    EXPECT_EQ(outcome.output.find("released"), std::string::npos) << outcome.output;
}
} // namespace
