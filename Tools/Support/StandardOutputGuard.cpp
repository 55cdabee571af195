#include "StandardOutputGuard.h"

#include <cstdio>
#include <unistd.h>

namespace MorvaneTools
{
StandardOutputGuard::StandardOutputGuard()
{
    std::fflush(stdout);
    m_output = dup(STDOUT_FILENO);
    dup2(STDERR_FILENO, STDOUT_FILENO);
}

StandardOutputGuard::~StandardOutputGuard()
{
    std::fflush(stdout);
    if (m_output >= 0)
    {
        dup2(m_output, STDOUT_FILENO);
        close(m_output);
    }
}

bool StandardOutputGuard::Write(std::string_view text) const
{
    std::fflush(stdout);
    const int output = m_output >= 0 ? m_output : STDOUT_FILENO;
    while (!text.empty())
    {
        const ssize_t written = write(output, text.data(), text.size());
        if (written <= 0)
        {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}
} // namespace MorvaneTools
