#include "System/Crash/CrashReport.h"

#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

namespace Morvane
{
void ReportCrash(unsigned long exceptionCode)
{
    Log::Error("Main", Format("Crashed with exception code 0x%08lX", exceptionCode));
}
} // namespace Morvane
