#include "Platform/CallStack.h"

#include <array>
#include <gtest/gtest.h>
#include <string>

namespace
{
using namespace Morvane::Platform;

__attribute__((noinline)) std::string CallStackFromHere()
{
    std::string stack = GetCallStack();
    asm volatile(""); // keeps this call from becoming a tail call
    return stack;
}

TEST(CallStack, NamesEachCallerInnermostFirstOnItsOwnLine)
{
    const std::string stack = CallStackFromHere();

    ASSERT_EQ(stack.rfind("\n", 0), 0u) << stack;
    const auto capturer = stack.find("\nMorvane::Platform::CaptureCallStack(");
    const auto caller = stack.find("CallStackFromHere");
    const auto test = stack.find("TestBody");
    ASSERT_NE(capturer, std::string::npos) << stack;
    ASSERT_NE(caller, std::string::npos) << stack;
    ASSERT_NE(test, std::string::npos) << stack;
    EXPECT_LT(capturer, caller);
    EXPECT_LT(caller, test);
}

TEST(CallStack, FramesWithoutASymbolAreSkipped)
{
    EXPECT_EQ(DescribeCallStack({}), "");
    EXPECT_EQ(DescribeCallStack({0x10, 0x20}), "");

    std::array<std::uintptr_t, kMaxCallStackFrames> frames{};
    const std::size_t count = CaptureCallStack(frames.data(), frames.size());
    ASSERT_GT(count, 2u);
    const std::string named = DescribeCallStack({frames[0], frames[1]});
    EXPECT_EQ(DescribeCallStack({0x10, frames[0], 0x20, frames[1]}), named);
}

TEST(CallStack, CaptureStopsAtTheCapacity)
{
    std::array<std::uintptr_t, 3> frames{};
    EXPECT_EQ(CaptureCallStack(frames.data(), frames.size()), 3u);
    EXPECT_EQ(CaptureCallStack(frames.data(), 0), 0u);
}
} // namespace
