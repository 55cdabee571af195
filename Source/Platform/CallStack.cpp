#include "Platform/CallStack.h"

#include <array>
#include <backtrace.h>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <memory>

namespace Morvane::Platform
{
namespace
{
struct Capture
{
    std::uintptr_t* frames;
    std::size_t capacity;
    std::size_t count;
};

void IgnoreError(void*, const char*, int) {}

backtrace_state* GetState()
{
    // libbacktrace states cannot be freed; the library expects one per process, shared by all threads.
    static backtrace_state* const state = backtrace_create_state(nullptr, 1, &IgnoreError, nullptr);
    return state;
}

int AddFrame(void* data, std::uintptr_t pc)
{
    auto* capture = static_cast<Capture*>(data);
    if (pc == 0 || pc == UINTPTR_MAX)
    {
        return 0;
    }
    capture->frames[capture->count++] = pc;
    return capture->count == capture->capacity ? 1 : 0;
}

std::string Demangle(const char* name)
{
    if (std::strncmp(name, "_Z", 2) != 0)
    {
        return name;
    }
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(name, nullptr, nullptr, &status), &std::free);
    return status == 0 && demangled ? std::string(demangled.get()) : std::string(name);
}

struct FrameNames
{
    std::string text;
    std::size_t count = 0;
    bool found = false;

    void Add(const char* name)
    {
        found = true;
        if (count < kMaxCallStackFrames)
        {
            text += '\n';
            text += Demangle(name);
            ++count;
        }
    }
};

int AddFunctionName(void* data, std::uintptr_t, const char*, int, const char* function)
{
    if (function != nullptr)
    {
        static_cast<FrameNames*>(data)->Add(function);
    }
    return 0;
}

void AddSymbolName(void* data, std::uintptr_t, const char* symbol, std::uintptr_t, std::uintptr_t)
{
    if (symbol != nullptr)
    {
        static_cast<FrameNames*>(data)->Add(symbol);
    }
}
} // namespace

void PrepareCallStacks()
{
    // The first unwind loads the unwinder's tables; do it here rather than inside a fault handler.
    std::array<std::uintptr_t, 1> frame{};
    CaptureCallStack(frame.data(), frame.size());
}

std::size_t CaptureCallStack(std::uintptr_t* frames, std::size_t capacity)
{
    backtrace_state* const state = GetState();
    if (state == nullptr || capacity == 0)
    {
        return 0;
    }
    Capture capture{frames, capacity, 0};
    backtrace_simple(state, 0, &AddFrame, &IgnoreError, &capture);
    return capture.count;
}

std::string DescribeCallStack(const std::vector<std::uintptr_t>& frames)
{
    backtrace_state* const state = GetState();
    if (state == nullptr)
    {
        return {};
    }
    // One address can name several functions inlined into each other; the text keeps the first 25 names.
    FrameNames names;
    for (const std::uintptr_t pc : frames)
    {
        names.found = false;
        backtrace_pcinfo(state, pc, &AddFunctionName, &IgnoreError, &names);
        if (!names.found)
        {
            // Without debug information the symbol table still names the function.
            backtrace_syminfo(state, pc, &AddSymbolName, &IgnoreError, &names);
        }
    }
    return names.text;
}

std::string GetCallStack()
{
    std::array<std::uintptr_t, kMaxCallStackFrames> frames{};
    const std::size_t count = CaptureCallStack(frames.data(), frames.size());
    return DescribeCallStack(std::vector<std::uintptr_t>(frames.begin(), frames.begin() + count));
}
} // namespace Morvane::Platform
