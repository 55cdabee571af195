#include "System/Crash/CrashReport.h"

#include "Analytics/AnalyticsSystem.h"
#include "Platform/CallStack.h"
#include "Platform/MessageBox.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <array>
#include <atomic>
#include <utility>

namespace Morvane
{
namespace
{
constexpr std::array<std::pair<unsigned long, const char*>, 22> kExceptionNames{{
    {0x80000001, "EXCEPTION_GUARD_PAGE"},
    {0x80000002, "EXCEPTION_DATATYPE_MISALIGNMENT"},
    {0x80000003, "EXCEPTION_BREAKPOINT"},
    {0x80000004, "EXCEPTION_SINGLE_STEP"},
    {0xC0000005, "EXCEPTION_ACCESS_VIOLATION"},
    {0xC0000006, "EXCEPTION_IN_PAGE_ERROR"},
    {0xC0000008, "EXCEPTION_INVALID_HANDLE"},
    {0xC000001D, "EXCEPTION_ILLEGAL_INSTRUCTION"},
    {0xC0000025, "EXCEPTION_NONCONTINUABLE_EXCEPTION"},
    {0xC0000026, "EXCEPTION_INVALID_DISPOSITION"},
    {0xC000008C, "EXCEPTION_ARRAY_BOUNDS_EXCEEDED"},
    {0xC000008D, "EXCEPTION_FLT_DENORMAL_OPERAND"},
    {0xC000008E, "EXCEPTION_FLT_DIVIDE_BY_ZERO"},
    {0xC000008F, "EXCEPTION_FLT_INEXACT_RESULT"},
    {0xC0000090, "EXCEPTION_FLT_INVALID_OPERATION"},
    {0xC0000091, "EXCEPTION_FLT_OVERFLOW"},
    {0xC0000092, "EXCEPTION_FLT_STACK_CHECK"},
    {0xC0000093, "EXCEPTION_FLT_UNDERFLOW"},
    {0xC0000094, "EXCEPTION_INT_DIVIDE_BY_ZERO"},
    {0xC0000095, "EXCEPTION_INT_OVERFLOW"},
    {0xC0000096, "EXCEPTION_PRIV_INSTRUCTION"},
    {0xC00000FD, "EXCEPTION_STACK_OVERFLOW"},
}};

std::atomic<CrashContextProvider> contextProvider{nullptr};
} // namespace

const char* GetExceptionName(unsigned long exceptionCode)
{
    for (const auto& [code, name] : kExceptionNames)
    {
        if (code == exceptionCode)
        {
            return name;
        }
    }
    return "UNHANDLED";
}

void SetCrashContextProvider(CrashContextProvider provider)
{
    contextProvider.store(provider);
}

void ReportCrash(unsigned long exceptionCode, const std::string& callStack)
{
    const std::string message = std::string(GetExceptionName(exceptionCode)) + "\n\n" + callStack;

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
