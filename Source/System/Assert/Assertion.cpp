#include "System/Assert/Assertion.h"

#include "System/Logging/Format.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace Morvane
{
void ReportAssertion(const char* conditionText, const char* file, int line)
{
    std::string source(file);
    std::replace(source.begin(), source.end(), '/', '\\');
    const std::string text = Format("Assertion failed: '%s' was false.\n%s: %d\n\nCallStack: %s",
                                    conditionText, source.c_str(), line, "");
    throw std::runtime_error(text);
}
} // namespace Morvane
