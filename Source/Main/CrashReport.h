#pragma once

#include "Analytics/AnalyticsEvent.h"

#include <string>

namespace Morvane
{
// Adds what the game knows about where the crash happened (the level's "area" and the player's "x",
// "y", "z") to the crash report's analytics event. The game installs one once it has a level running.
using CrashContextProvider = void (*)(AnalyticsEvent& event);
void SetCrashContextProvider(CrashContextProvider provider);

// Reports an exception that reached the program's outermost guard: sends the analytics "error" event,
// logs it and shows the final message box. `callStack` is the stack where the fault happened.
void ReportCrash(unsigned long exceptionCode, const std::string& callStack);
// As above, with the reporting thread's own call stack.
void ReportCrash(unsigned long exceptionCode);
} // namespace Morvane
