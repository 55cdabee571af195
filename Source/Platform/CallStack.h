#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Morvane::Platform
{
// Most frames a call stack holds, counted from the capturing routine itself.
inline constexpr std::size_t kMaxCallStackFrames = 25;

// Loads what stack capture needs; call once before capturing from a signal handler.
void PrepareCallStacks();

// Writes the calling thread's return addresses, innermost first, and returns how many it wrote.
// Allocates nothing once PrepareCallStacks has run, so a fault handler may call it.
std::size_t CaptureCallStack(std::uintptr_t* frames, std::size_t capacity);

// For each frame with a known function, innermost first, a line feed and the readable function name.
// Empty text when no symbols can be had.
std::string DescribeCallStack(const std::vector<std::uintptr_t>& frames);

// The current call stack in the form of DescribeCallStack.
std::string GetCallStack();
} // namespace Morvane::Platform
