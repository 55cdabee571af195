#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace Morvane::Platform
{
// Exception codes of the processor faults the guard recognises.
namespace ExceptionCode
{
inline constexpr unsigned long kSingleStep = 0x80000004;
inline constexpr unsigned long kBreakpoint = 0x80000003;
inline constexpr unsigned long kDatatypeMisalignment = 0x80000002;
inline constexpr unsigned long kAccessViolation = 0xC0000005;
inline constexpr unsigned long kInPageError = 0xC0000006;
inline constexpr unsigned long kIllegalInstruction = 0xC000001D;
inline constexpr unsigned long kArrayBoundsExceeded = 0xC000008C;
inline constexpr unsigned long kFloatDivideByZero = 0xC000008E;
inline constexpr unsigned long kFloatInexactResult = 0xC000008F;
inline constexpr unsigned long kFloatInvalidOperation = 0xC0000090;
inline constexpr unsigned long kFloatOverflow = 0xC0000091;
inline constexpr unsigned long kFloatUnderflow = 0xC0000093;
inline constexpr unsigned long kIntegerDivideByZero = 0xC0000094;
inline constexpr unsigned long kIntegerOverflow = 0xC0000095;
inline constexpr unsigned long kPrivilegedInstruction = 0xC0000096;
inline constexpr unsigned long kStackOverflow = 0xC00000FD;
// An exception the program raised itself (a C++ throw, or std::terminate through abort()).
inline constexpr unsigned long kProgramException = 0xE06D7363;
} // namespace ExceptionCode

// The name of an exception code in crash reports, "UNHANDLED" for codes that are not processor faults.
// Safe in a signal handler.
const char* GetExceptionName(unsigned long exceptionCode);

struct Fault
{
    unsigned long code = 0;
    // Return addresses at the fault, the faulting instruction first.
    std::vector<std::uintptr_t> frames;
};

// Runs `body` on the calling thread. A processor fault inside it (segmentation fault, bus error,
// arithmetic fault, illegal instruction, trap, stack overflow, abort) unwinds straight back here and
// is returned; nothing is returned when `body` ends normally. C++ exceptions pass through untouched.
// Objects alive inside `body` at a fault are abandoned without their destructors.
std::optional<Fault> RunFaultGuarded(const std::function<void()>& body);
} // namespace Morvane::Platform
