#include "Platform/TemporaryFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace Morvane::Platform
{
TemporaryFile::TemporaryFile(std::string pattern) : m_path(std::move(pattern))
{
    m_descriptor = mkstemp(m_path.data());
    m_made = m_descriptor >= 0;
}

TemporaryFile::~TemporaryFile()
{
    Close();
    if (m_made && !m_renamed)
    {
        unlink(m_path.c_str());
    }
}

bool TemporaryFile::SetMode(unsigned mode)
{
    return fchmod(m_descriptor, static_cast<mode_t>(mode)) == 0;
}

bool TemporaryFile::Write(const std::string& text)
{
    for (std::size_t written = 0; written < text.size();)
    {
        const ssize_t count = write(m_descriptor, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR)
        {
            continue;
        }
        if (count <= 0)
        {
            return false;
        }
        written += static_cast<std::size_t>(count);
    }
    return fsync(m_descriptor) == 0 && Close();
}

bool TemporaryFile::RenameTo(const std::string& path)
{
    m_renamed = rename(m_path.c_str(), path.c_str()) == 0;
    return m_renamed;
}

bool TemporaryFile::Close()
{
    const int descriptor = std::exchange(m_descriptor, -1);
    return descriptor < 0 || close(descriptor) == 0;
}
} // namespace Morvane::Platform
