#include "Platform/FaultGuard.h"

#include "Platform/CallStack.h"

#include <array>
#include <csetjmp>
#include <csignal>
#include <cstddef>
#include <memory>
#include <ucontext.h>
#include <unistd.h>
#include <utility>

namespace Morvane::Platform
{
namespace
{
// Room for the handler and the unwinder when the thread's own stack has overflowed.
constexpr std::size_t kAlternateStackSize = 64 * 1024;
// A fault this close to the stack pointer hit the guard page below the stack.
constexpr std::uintptr_t kStackOverflowReach = 64 * 1024;
constexpr std::array kFaultSignals{SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT};

constexpr std::array<std::pair<unsigned long, const char*>, 22> kExceptionNames{{
    {0x80000001, "EXCEPTION_GUARD_PAGE"},
    {0x80000002, "EXCEPTION_DATATYPE_MISALIGNMENT"},
    {0x80000003, "EXCEPTION_BREAKPOINT"},
    {0x80000004, "EXCEPTION_SINGLE_STEP"},
    {0xC0000005, "EXCEPTION_ACCESS_VIOLATION"},
    {0xC0000006, "EXCEPTION_IN_PAGE_ERROR"},
    {0xC0000008, "EXCEPTION_INVALID_HANDLE"},
    {0xC000001D, "EXCEPTION_ILLEGAL_INSTRUCTION"},
    {0xC0000025, "EXCEPTION_NONCONTINUABLE_EXCEPTION"},
    {0xC0000026, "EXCEPTION_INVALID_DISPOSITION"},
    {0xC000008C, "EXCEPTION_ARRAY_BOUNDS_EXCEEDED"},
    {0xC000008D, "EXCEPTION_FLT_DENORMAL_OPERAND"},
    {0xC000008E, "EXCEPTION_FLT_DIVIDE_BY_ZERO"},
    {0xC000008F, "EXCEPTION_FLT_INEXACT_RESULT"},
    {0xC0000090, "EXCEPTION_FLT_INVALID_OPERATION"},
    {0xC0000091, "EXCEPTION_FLT_OVERFLOW"},
    {0xC0000092, "EXCEPTION_FLT_STACK_CHECK"},
    {0xC0000093, "EXCEPTION_FLT_UNDERFLOW"},
    {0xC0000094, "EXCEPTION_INT_DIVIDE_BY_ZERO"},
    {0xC0000095, "EXCEPTION_INT_OVERFLOW"},
    {0xC0000096, "EXCEPTION_PRIV_INSTRUCTION"},
    {0xC00000FD, "EXCEPTION_STACK_OVERFLOW"},
}};

struct GuardFrame
{
    sigjmp_buf jump;
    unsigned long code = 0;
    std::array<std::uintptr_t, kMaxCallStackFrames> frames{};
    std::size_t frameCount = 0;
};

thread_local GuardFrame* activeGuard = nullptr;

std::uintptr_t StackPointer(const void* context)
{
#if defined(__x86_64__)
    return static_cast<std::uintptr_t>(static_cast<const ucontext_t*>(context)->uc_mcontext.gregs[REG_RSP]);
#else
    static_cast<void>(context);
    return 0;
#endif
}

std::uintptr_t InstructionPointer(const void* context)
{
#if defined(__x86_64__)
    return static_cast<std::uintptr_t>(static_cast<const ucontext_t*>(context)->uc_mcontext.gregs[REG_RIP]);
#else
    static_cast<void>(context);
    return 0;
#endif
}

unsigned long ArithmeticCode(int reason)
{
    switch (reason)
    {
    case FPE_INTDIV:
        return ExceptionCode::kIntegerDivideByZero;
    case FPE_INTOVF:
        return ExceptionCode::kIntegerOverflow;
    case FPE_FLTDIV:
        return ExceptionCode::kFloatDivideByZero;
    case FPE_FLTOVF:
        return ExceptionCode::kFloatOverflow;
    case FPE_FLTUND:
        return ExceptionCode::kFloatUnderflow;
    case FPE_FLTRES:
        return ExceptionCode::kFloatInexactResult;
    case FPE_FLTSUB:
        return ExceptionCode::kArrayBoundsExceeded;
    default:
        return ExceptionCode::kFloatInvalidOperation;
    }
}

unsigned long SegmentationCode(const siginfo_t& info, const void* context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info.si_addr);
    const std::uintptr_t stackPointer = StackPointer(context);
    const std::uintptr_t distance = address > stackPointer ? address - stackPointer : stackPointer - address;
    return stackPointer != 0 && distance < kStackOverflowReach ? ExceptionCode::kStackOverflow
                                                               : ExceptionCode::kAccessViolation;
}

unsigned long FaultCode(int signal, const siginfo_t& info, const void* context)
{
    switch (signal)
    {
    case SIGSEGV:
        return SegmentationCode(info, context);
    case SIGBUS:
        return info.si_code == BUS_ADRALN ? ExceptionCode::kDatatypeMisalignment
                                          : ExceptionCode::kInPageError;
    case SIGFPE:
        return ArithmeticCode(info.si_code);
    case SIGILL:
        return info.si_code == ILL_PRVOPC || info.si_code == ILL_PRVREG
                   ? ExceptionCode::kPrivilegedInstruction
                   : ExceptionCode::kIllegalInstruction;
    case SIGTRAP:
        return info.si_code == TRAP_TRACE ? ExceptionCode::kSingleStep : ExceptionCode::kBreakpoint;
    default:
        return ExceptionCode::kProgramException;
    }
}

// Keeps only the frames from the faulting instruction outwards, dropping the handler's own.
void DropHandlerFrames(GuardFrame& guard, std::uintptr_t faultingInstruction)
{
    for (std::size_t index = 0; index < guard.frameCount; ++index)
    {
        if (guard.frames[index] == faultingInstruction)
        {
            for (std::size_t kept = index; kept < guard.frameCount; ++kept)
            {
                guard.frames[kept - index] = guard.frames[kept];
            }
            guard.frameCount -= index;
            return;
        }
    }
}

// Written at once, before the crash report, which allocates and logs: the fault may have struck
// inside the allocator, standard output or the log, holding their locks.
void WriteFaultName(unsigned long code)
{
    std::array<char, 64> line{};
    std::size_t length = 0;
    for (const char* part : {"Fault: ", GetExceptionName(code), "\n"})
    {
        for (; *part != '\0' && length < line.size(); ++part)
        {
            line[length++] = *part;
        }
    }
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, line.data(), length);
}

extern "C" void OnFault(int signal, siginfo_t* info, void* context)
{
    const unsigned long code = FaultCode(signal, *info, context);
    WriteFaultName(code);
    GuardFrame* const guard = activeGuard;
    if (guard == nullptr)
    {
        // Not ours to recover: let the signal take its default course once the handler returns.
        struct sigaction defaultAction = {};
        defaultAction.sa_handler = SIG_DFL;
        sigemptyset(&defaultAction.sa_mask);
        sigaction(signal, &defaultAction, nullptr);
        raise(signal);
        return;
    }
    activeGuard = nullptr;
    guard->code = code;
    guard->frameCount = CaptureCallStack(guard->frames.data(), guard->frames.size());
    DropHandlerFrames(*guard, InstructionPointer(context));
    siglongjmp(guard->jump, 1);
}

bool InstallFaultHandlers()
{
    PrepareCallStacks();
    struct sigaction action = {};
    action.sa_sigaction = &OnFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (const int signal : kFaultSignals)
    {
        sigaction(signal, &action, nullptr);
    }
    return true;
}

// Each thread needs its own alternate stack for the handler to survive a stack overflow.
class AlternateStack
{
public:
    AlternateStack()
    {
        stack_t current{};
        if (sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) == 0)
        {
            return; // someone else's alternate stack is already in place
        }
        m_memory = std::make_unique<std::byte[]>(kAlternateStackSize);
        stack_t stack{};
        stack.ss_sp = m_memory.get();
        stack.ss_size = kAlternateStackSize;
        sigaltstack(&stack, nullptr);
    }

    ~AlternateStack()
    {
        if (m_memory)
        {
            stack_t disabled{};
            disabled.ss_flags = SS_DISABLE;
            sigaltstack(&disabled, nullptr);
        }
    }

    AlternateStack(const AlternateStack&) = delete;
    AlternateStack& operator=(const AlternateStack&) = delete;

private:
    std::unique_ptr<std::byte[]> m_memory;
};

// Makes this thread's guard the one a fault jumps to, restoring the enclosing guard afterwards.
class ActiveGuard
{
public:
    explicit ActiveGuard(GuardFrame& guard) : m_outer(activeGuard) { activeGuard = &guard; }
    ~ActiveGuard() { activeGuard = m_outer; }
    ActiveGuard(const ActiveGuard&) = delete;
    ActiveGuard& operator=(const ActiveGuard&) = delete;

private:
    GuardFrame* const m_outer;
};
} // namespace

const char* GetExceptionName(unsigned long exceptionCode)
{
    for (const auto& [code, name] : kExceptionNames)
    {
        if (code == exceptionCode)
        {
            return name;
        }
    }
    return "UNHANDLED";
}

std::optional<Fault> RunFaultGuarded(const std::function<void()>& body)
{
    static const bool installed = InstallFaultHandlers();
    static_cast<void>(installed);
    thread_local const AlternateStack alternateStack;
    GuardFrame guard;
    GuardFrame* const outer = activeGuard;
    // Saving the signal mask lets a later fault be caught again: the jump leaves the handler with the
    // fault's signal still blocked otherwise.
    if (sigsetjmp(guard.jump, 1) != 0)
    {
        activeGuard = outer;
        return Fault{guard.code, std::vector<std::uintptr_t>(guard.frames.begin(),
                                                             guard.frames.begin() + guard.frameCount)};
    }
    {
        const ActiveGuard active(guard);
        body();
    }
    return std::nullopt;
}
} // namespace Morvane::Platform
