#include "Capture/PlayerTrace.h"

#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

namespace Morvane::Capture
{
PlayerTrace::PlayerTrace(const std::filesystem::path& path) : m_path(path)
{
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    m_file.open(path, std::ios::binary);
}

void PlayerTrace::Write(int frame, const std::optional<glm::vec3>& player)
{
    m_file << (player ? Format("%d %.4f %.4f %.4f\n", frame, static_cast<double>(player->x),
                               static_cast<double>(player->y), static_cast<double>(player->z))
                      : Format("%d -\n", frame));
}

bool PlayerTrace::Close()
{
    m_file.close();
    if (!m_file)
    {
        Log::Error("Capture", Format("Could not write the trace '%s'", m_path.string().c_str()));
        return false;
    }
    return true;
}
} // namespace Morvane::Capture
