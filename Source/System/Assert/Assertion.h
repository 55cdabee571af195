#pragma once

#include <stdexcept>
#include <string>

namespace Morvane
{
// What a failed assertion throws; what() is the assertion text shown in the message box.
class AssertionFailure : public std::runtime_error
{
public:
    explicit AssertionFailure(const std::string& text) : std::runtime_error(text) {}
};

// Shows the failed condition with its source position and the call stack in a message box, then
// throws AssertionFailure carrying the same text. Where nothing may throw (a destructor, operator
// delete) the throw ends in std::terminate, which the crash guard reports like any other fault.
[[noreturn]] void ReportAssertion(const char* conditionText, const char* file, int line);
} // namespace Morvane

// Checks an invariant; the message names the condition's own text and this line.
#define MORVANE_ASSERT(condition)                                                                            \
    ((condition) ? static_cast<void>(0) : ::Morvane::ReportAssertion(#condition, __FILE__, __LINE__))

// Checks an invariant whose report has a fixed wording and line, so that the message stays the same
// whatever the code around it looks like.
#define MORVANE_ASSERT_NAMED(condition, text, line)                                                          \
    ((condition) ? static_cast<void>(0) : ::Morvane::ReportAssertion(text, __FILE__, line))

// The same, for a report that names a fixed source file ("Source/System/System.cpp") rather than
// the one the check sits in.
#define MORVANE_ASSERT_NAMED_IN(condition, text, file, line)                                                 \
    ((condition) ? static_cast<void>(0) : ::Morvane::ReportAssertion(text, file, line))
