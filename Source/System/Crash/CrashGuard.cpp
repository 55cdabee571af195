#include "System/Crash/CrashGuard.h"

#include "Platform/CallStack.h"
#include "Platform/FaultGuard.h"
#include "System/Crash/CrashReport.h"

namespace Morvane
{
int RunWithCrashReport(void (*run)())
{
    try
    {
        if (const auto fault = Platform::RunFaultGuarded(run))
        {
            ReportCrash(fault->code, Platform::DescribeCallStack(fault->frames));
        }
    }
    catch (...)
    {
        ReportCrash(Platform::ExceptionCode::kProgramException);
    }
    return 0;
}
} // namespace Morvane
