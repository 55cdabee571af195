#include "System/Assert/Assertion.h"

#include "Platform/CallStack.h"
#include "Platform/MessageBox.h"
#include "System/Logging/Format.h"

#include <algorithm>

namespace Morvane
{
namespace
{
// The source file is reported with backslashes, as "Source\main.cpp".
std::string FormatAssertion(const char* conditionText, const char* file, int line,
                            const std::string& callStack)
{
    std::string source(file);
    std::replace(source.begin(), source.end(), '/', '\\');
    return Format("Assertion failed: '%s' was false.\n%s: %d\n\nCallStack: %s", conditionText, source.c_str(),
                  line, callStack.c_str());
}
} // namespace

void ReportAssertion(const char* conditionText, const char* file, int line)
{
    const std::string text = FormatAssertion(conditionText, file, line, Platform::GetCallStack());
    Platform::ShowMessageBox(text, "");
    throw AssertionFailure(text);
}
} // namespace Morvane
