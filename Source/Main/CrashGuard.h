#pragma once

namespace Morvane
{
// The program's outermost guard: runs `run`, and turns anything that escapes it, a C++ exception of
// any type or a processor fault, into one crash report. Returns the program's exit status, 0; after a
// processor fault the process ends with status 0 once the report is out, without the exit clean-up.
int RunWithCrashReport(void (*run)());
} // namespace Morvane
