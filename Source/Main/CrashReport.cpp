#include "Main/CrashReport.h"

#include "Analytics/AnalyticsSystem.h"
#include "Platform/CallStack.h"
#include "Platform/FaultGuard.h"
#include "Platform/MessageBox.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <atomic>

namespace Morvane
{
namespace
{
std::atomic<CrashContextProvider> contextProvider{nullptr};
} // namespace

void SetCrashContextProvider(CrashContextProvider provider)
{
    contextProvider.store(provider);
}

void ReportCrash(unsigned long exceptionCode, const std::string& callStack)
{
    const std::string message = std::string(Platform::GetExceptionName(exceptionCode)) + "\n\n" + callStack;

    AnalyticsEvent event;
    event.category = "error";
    event.fields["message"] = message;
    event.fields["severity"] = "error";
    if (const CrashContextProvider provider = contextProvider.load())
    {
        provider(event);
    }
    GameAnalytics::System::GetInstance().SubmitEvent(event);
    Log::Info("Main", "Error submitted");

    Platform::ShowMessageBox(Format("Error: %s", message.c_str()), "Error");
}

void ReportCrash(unsigned long exceptionCode)
{
    ReportCrash(exceptionCode, Platform::GetCallStack());
}
} // namespace Morvane
