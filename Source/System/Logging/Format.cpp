#include "System/Logging/Format.h"

#include <array>
#include <cstdarg>
#include <cstdio>

namespace Morvane
{
std::string Format(const char* format, ...)
{
    std::array<char, kMaxFormattedLength + 1> buffer{};
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(buffer.data(), buffer.size(), format, arguments);
    va_end(arguments);
    if (written < 0)
    {
        return {};
    }
    return std::string(buffer.data());
}
} // namespace Morvane
