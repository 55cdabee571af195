#include "Platform/MessageBox.h"
#include "Support/MessageBoxRecorder.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

namespace
{
using namespace Morvane;

TEST(MessageBox, WithoutARealDisplayTheTextGoesToStandardError)
{
    setenv("MORVANE_NO_MESSAGE_BOX", "1", 1);
    testing::internal::CaptureStderr();
    Platform::ShowMessageBox("Error: UNHANDLED", "Error");
    Platform::ShowMessageBox("Assertion failed", "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "=== Error ===\nError: UNHANDLED\nAssertion failed\n");
}

TEST(MessageBox, RecorderTakesEveryBoxUntilItGoes)
{
    setenv("MORVANE_NO_MESSAGE_BOX", "1", 1);
    {
        Testing::MessageBoxRecorder boxes;
        Platform::ShowMessageBox("first", "One");
        std::thread([] { Platform::ShowMessageBox("second", ""); }).join();
        ASSERT_EQ(boxes.GetBoxes().size(), 2u);
        EXPECT_EQ(boxes.GetBoxes()[0].text, "first");
        EXPECT_EQ(boxes.GetBoxes()[0].caption, "One");
        EXPECT_EQ(boxes.GetBoxes()[1].text, "second");
    }
    testing::internal::CaptureStderr();
    Platform::ShowMessageBox("third", "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "third\n");
}
} // namespace
