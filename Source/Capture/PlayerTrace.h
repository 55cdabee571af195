#pragma once

#include <filesystem>
#include <fstream>
#include <glm/vec3.hpp>
#include <optional>

namespace Morvane::Capture
{
// One line per frame, "FRAME X Y Z" ("%.4f") or "FRAME -" without a player, so that two replays are
// compared by their files. Made only for a path; errors are logged.
class PlayerTrace
{
public:
    explicit PlayerTrace(const std::filesystem::path& path);

    void Write(int frame, const std::optional<glm::vec3>& player);
    // False (logged) when the file could not be written whole.
    bool Close();

private:
    const std::filesystem::path m_path;
    std::ofstream m_file;
};
} // namespace Morvane::Capture
