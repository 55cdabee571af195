#pragma once

namespace Morvane
{
// Shows the failed condition with its source position and call stack, then throws std::exception
// carrying the same text. `file` may use either separator; it is reported with backslashes.
[[noreturn]] void ReportAssertion(const char* conditionText, const char* file, int line);
} // namespace Morvane

// Checks an invariant; the message names the condition's own text and this line.
#define MORVANE_ASSERT(condition)                                                                            \
    ((condition) ? static_cast<void>(0) : ::Morvane::ReportAssertion(#condition, __FILE__, __LINE__))

// Checks an invariant whose report has a fixed wording and line, so that the message stays the same
// whatever the code around it looks like.
#define MORVANE_ASSERT_NAMED(condition, text, line)                                                          \
    ((condition) ? static_cast<void>(0) : ::Morvane::ReportAssertion(text, __FILE__, line))
