#pragma once

#include "Sound/Backend/Result.h"

#include <string>

namespace Morvane::Audio::Backend
{
class Output;

// A named group of channels whose volume scales every channel in it. Owned by its Output;
// Release hands it back, and its channels then play on at their own volume.
class ChannelGroup
{
public:
    ChannelGroup(Output& system, std::string name) : m_system(system), m_name(std::move(name)) {}
    ChannelGroup(const ChannelGroup&) = delete;
    ChannelGroup& operator=(const ChannelGroup&) = delete;

    // `volume` is clamped to 0..1.
    Result SetVolume(float volume);
    float GetVolume() const { return m_volume; }
    const std::string& GetName() const { return m_name; }
    // Destroys this group; the pointer is invalid afterwards.
    Result Release();

private:
    Output& m_system;
    std::string m_name;
    float m_volume = 1.0f;
};
} // namespace Morvane::Audio::Backend
