#pragma once

#include <cstdio>
#include <cstdlib>

namespace Morvane::Fuzzing
{
// The engine logs every rejected input; that text is noise for the fuzzer, which reports on stderr.
inline void SilenceLog()
{
    if (std::freopen("/dev/null", "w", stdout) == nullptr)
    {
        std::abort();
    }
}

// A property the code must keep whatever the input: breaking it is a finding.
inline void Require(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}
} // namespace Morvane::Fuzzing
