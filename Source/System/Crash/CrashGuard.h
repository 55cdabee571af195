#pragma once

namespace Morvane
{
// The program's outermost guard: runs `run`, and turns anything that escapes it, a C++ exception of
// any type or a processor fault, into one crash report. Returns the program's exit status, 0.
int RunWithCrashReport(void (*run)());
} // namespace Morvane
