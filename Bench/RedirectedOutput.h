#pragma once

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace Morvane::Benchmarks
{
// Points standard output at `target` for its lifetime, so that what the log costs is measured against
// that file rather than a terminal.
class RedirectedOutput
{
public:
    explicit RedirectedOutput(const char* target)
    {
        std::fflush(stdout);
        m_saved = dup(fileno(stdout));
        if (std::freopen(target, "w", stdout) == nullptr)
        {
            std::abort();
        }
    }
    ~RedirectedOutput()
    {
        std::fflush(stdout);
        dup2(m_saved, fileno(stdout));
        close(m_saved);
    }
    RedirectedOutput(const RedirectedOutput&) = delete;
    RedirectedOutput& operator=(const RedirectedOutput&) = delete;

private:
    int m_saved = -1;
};
} // namespace Morvane::Benchmarks
