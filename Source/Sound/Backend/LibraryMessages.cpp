#include "Sound/Backend/LibraryMessages.h"

#include "System/Logging/LoggingSystem.h"

#include <alsa/asoundlib.h>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace Morvane::Audio::Backend
{
namespace
{
const char* const kChannel = "Audio system";
const char* const kLogLevelVariable = "ALSOFT_LOGLEVEL";

void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

__attribute__((format(printf, 5, 6))) void LogAlsaMessage(const char*, int, const char* function, int,
                                                          const char* format, ...)
{
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    Log::Warning(kChannel, std::string("ALSA: ") + (function != nullptr ? function : "") + ": " + text);
}
} // namespace

void RouteLibraryMessages()
{
    const bool userAsked = std::getenv(kLogLevelVariable) != nullptr;
    if (!userAsked)
    {
        // OpenAL Soft reads its log level once, on the first call into the library.
        setenv(kLogLevelVariable, "0", 0);
    }
    snd_lib_error_set_handler(userAsked ? &LogAlsaMessage : &IgnoreAlsaMessage);
}
} // namespace Morvane::Audio::Backend
