#include "System/Crash/CrashGuard.h"

#include "Platform/CallStack.h"
#include "Platform/FaultGuard.h"
#include "System/Crash/CrashReport.h"

#include <optional>

namespace Morvane
{
int RunWithCrashReport(void (*run)())
{
    std::optional<Platform::Fault> fault;
    try
    {
        fault = Platform::RunFaultGuarded(run);
    }
    catch (...)
    {
        ReportCrash(Platform::ExceptionCode::kProgramException);
        return 0;
    }
    if (fault)
    {
        ReportCrash(fault->code, Platform::DescribeCallStack(fault->frames));
    }
    return 0;
}
} // namespace Morvane
