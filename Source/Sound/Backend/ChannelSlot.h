#pragma once

#include <cstdint>
#include <glm/vec3.hpp>

namespace Morvane::Audio::Backend
{
class SoundBuffer;
class ChannelGroup;

// The state of one playback; a Channel handle names a slot by index and generation, so a handle to a
// finished or stolen playback is recognised as stale.
struct ChannelSlot
{
    unsigned source = 0;
    std::uint32_t generation = 0;
    bool active = false;
    // Playback begins at the next update or render, once every setting of this frame is in place.
    bool started = false;
    const SoundBuffer* sound = nullptr;
    const ChannelGroup* group = nullptr;
    bool loopNormal = false;
    int loopCount = -1;
    bool is3D = false;
    bool linearRolloff = false;
    float volume = 1.0f;
    glm::vec3 position{0.0f};
    float minDistance = 1.0f;
    float maxDistance = 10000.0f;
    std::uint64_t playOrder = 0;

    bool IsEndless() const { return loopNormal && loopCount < 0; }
};
} // namespace Morvane::Audio::Backend
