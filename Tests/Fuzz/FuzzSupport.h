#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace Morvane::Fuzzing
{
// A property the code must keep whatever the input: breaking it is a finding.
inline void Require(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

// The engine logs every rejected input; that text is noise for the fuzzer, which reports on stderr.
inline void SilenceLog()
{
    Require(std::freopen("/dev/null", "w", stdout) != nullptr, "the log can be silenced");
}
} // namespace Morvane::Fuzzing
