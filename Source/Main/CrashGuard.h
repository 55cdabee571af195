#pragma once

#include <functional>

namespace Morvane
{
// The program's outermost guard: runs `run`, and turns anything that escapes it, a C++ exception of
// any type or a processor fault, into one crash report. Returns the program's exit status: 0, or
// `crashStatus` after a crash; after a processor fault the process ends with `crashStatus` once the
// report is out, without the exit clean-up.
int RunWithCrashReport(const std::function<void()>& run, int crashStatus = 0);
} // namespace Morvane
