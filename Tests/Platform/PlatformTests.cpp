#include "Platform/CallStack.h"
#include "Platform/Interrupt.h"
#include "Platform/MessageBox.h"
#include "Support/ChildProcess.h"
#include "Support/MessageBoxRecorder.h"

#include <array>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace
{
using namespace Morvane;
using namespace Morvane::Platform;

TEST(CallStack, CaptureStopsAtTheCapacityAndFramesWithoutASymbolAreSkipped)
{
    std::array<std::uintptr_t, kMaxCallStackFrames> frames{};
    EXPECT_EQ(CaptureCallStack(frames.data(), 0), 0u);
    EXPECT_EQ(CaptureCallStack(frames.data(), 2), 2u);
    const std::string named = DescribeCallStack({frames[0], frames[1]});
    EXPECT_NE(named, "");
    EXPECT_EQ(DescribeCallStack({0x10, frames[0], 0x20, frames[1]}), named);
}

TEST(MessageBoxThreaded, RecorderTakesBoxesFromAnyThreadAndWithoutItTheTextGoesToStandardError)
{
    {
        Testing::MessageBoxRecorder boxes;
        ShowMessageBox("first", "One");
        std::thread([] { ShowMessageBox("second", ""); }).join();
        ASSERT_EQ(boxes.GetBoxes().size(), 2u);
        EXPECT_EQ(boxes.GetBoxes()[0].text + boxes.GetBoxes()[0].caption, "firstOne");
        EXPECT_EQ(boxes.GetBoxes()[1].text, "second");
    }
    testing::internal::CaptureStderr();
    ShowMessageBox("Error: UNHANDLED", "Error");
    ShowMessageBox("Assertion failed", "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "=== Error ===\nError: UNHANDLED\nAssertion failed\n");
}

// Only the frame loop polls the flag: anywhere else, and at a second signal a while after the first,
// the process must end.
TEST(Interrupt, OnlyTheFirstSignalInsideThePollingScopeIsLeftToTheFlag)
{
    const Testing::ChildOutcome outside = Testing::RunInChild(
        []
        {
            InstallInterruptHandler();
            {
                const InterruptPollingScope polling;
                raise(SIGINT);
                if (!IsInterruptRequested())
                {
                    return 1;
                }
            }
            raise(SIGTERM);
            return 2;
        });
    EXPECT_EQ(outside.signal, SIGTERM) << outside.exitStatus;

    // The same interrupt twice at once (as `timeout` sends it) is one request; one a second later
    // asks to stop at once.
    const Testing::ChildOutcome twice = Testing::RunInChild(
        []
        {
            InstallInterruptHandler();
            const InterruptPollingScope polling;
            raise(SIGINT);
            raise(SIGTERM);
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            raise(SIGTERM);
            if (!IsInterruptRequested())
            {
                return 1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(800));
            raise(SIGINT);
            return 3;
        });
    EXPECT_EQ(twice.signal, SIGINT) << twice.exitStatus << twice.output;
}
} // namespace
