#pragma once

#include <string>

namespace Morvane::Testing
{
// A fresh folder under /tmp, removed with everything in it when the object goes away.
class TempDirectory
{
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    // The folder, ending with '/'.
    const std::string& Path() const { return m_path; }
    // Writes `contents` to `name` inside the folder (creating sub-folders) and returns the full path.
    std::string Write(const std::string& name, const std::string& contents) const;

private:
    std::string m_path;
};
} // namespace Morvane::Testing
