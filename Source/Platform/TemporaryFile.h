#pragma once

#include <string>

namespace Morvane::Platform
{
// A temporary file made beside the file it replaces, removed unless it was renamed into place: a file
// written this way is either the old one or the whole new one, never a part.
class TemporaryFile
{
public:
    // `pattern` ends with "XXXXXX", which becomes a unique name (mkstemp); the file starts with mode 0600.
    explicit TemporaryFile(std::string pattern);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool IsMade() const { return m_made; }
    // Permission bits, for a file that others read as they read the one it replaces.
    bool SetMode(unsigned mode);
    // Writes all of `text` and flushes it to the disk, so that the rename never puts a file whose blocks
    // are still missing in place of a whole one.
    bool Write(const std::string& text);
    bool RenameTo(const std::string& path);

private:
    bool Close();

    std::string m_path;
    int m_descriptor = -1;
    bool m_made = false;
    bool m_renamed = false;
};
} // namespace Morvane::Platform
