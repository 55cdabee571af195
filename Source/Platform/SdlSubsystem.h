#pragma once

#include <cstdint>

namespace Morvane::Platform
{
// Keeps one SDL subsystem (video, game controllers) started for as long as it lives. SDL is told to
// leave the process's signal handlers alone, so that Ctrl-C and SIGTERM still end the frame loop.
class SdlSubsystem
{
public:
    explicit SdlSubsystem(std::uint32_t flags);
    ~SdlSubsystem();
    SdlSubsystem(const SdlSubsystem&) = delete;
    SdlSubsystem& operator=(const SdlSubsystem&) = delete;

    // False when SDL refused to start the subsystem; SDL_GetError() says why.
    bool IsReady() const { return m_ready; }

private:
    std::uint32_t m_flags;
    bool m_ready;
};
} // namespace Morvane::Platform
