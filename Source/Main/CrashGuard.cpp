#include "Main/CrashGuard.h"

#include "Analytics/AnalyticsSystem.h"
#include "Main/CrashReport.h"
#include "Platform/CallStack.h"
#include "Platform/FaultGuard.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace Morvane
{
int RunWithCrashReport(const std::function<void()>& run, int crashStatus)
{
    std::optional<Platform::Fault> fault;
    try
    {
        fault = Platform::RunFaultGuarded(run);
    }
    catch (...)
    {
        ReportCrash(Platform::ExceptionCode::kProgramException);
        return crashStatus;
    }
    if (fault)
    {
        ReportCrash(fault->code, Platform::DescribeCallStack(fault->frames));
        // The fault jumped out of code that may have held locks (the display connection's, a driver's),
        // which the clean-up of a normal exit would wait on for ever: post the report and end here.
        GameAnalytics::System::GetInstance().Shutdown();
        std::fflush(nullptr);
        std::_Exit(crashStatus);
    }
    return 0;
}
} // namespace Morvane
