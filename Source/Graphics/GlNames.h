#pragma once

#include <span>
#include <string>

namespace Morvane::Graphics
{
// One GL enumeration with the name data files write for it: what Save uses to write values back.
struct GlName
{
    unsigned value;
    const char* name;
};

#define MORVANE_GL_NAME(constant)                                                                            \
    ::Morvane::Graphics::GlName                                                                              \
    {                                                                                                        \
        constant, #constant                                                                                  \
    }

// The name of `value` in `table`, or `fallback` when the table does not hold it.
std::string NameOf(std::span<const GlName> table, unsigned value, const char* fallback);
} // namespace Morvane::Graphics
