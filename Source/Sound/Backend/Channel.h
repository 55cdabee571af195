#pragma once

#include "Sound/Backend/Mode.h"
#include "Sound/Backend/Result.h"

#include <cstdint>
#include <glm/vec3.hpp>

namespace Morvane::Audio::Backend
{
class ChannelPool;
struct ChannelSlot;

// Handle to one playback. Copies name the same playback; once it has finished, been stopped or been
// stolen, every call answers ErrorInvalidHandle (and IsPlaying reports false).
class Channel
{
public:
    Channel() = default;

    bool IsNull() const { return m_pool == nullptr; }

    Result Stop();
    Result IsPlaying(bool& playing) const;
    // Position inside the sound (a looping playback starts again from 0 on each pass).
    Result GetPosition(unsigned& milliseconds) const;
    // kModeLoopOff / kModeLoopNormal choose looping, kMode2D / kMode3D override the sound's kind, and
    // kMode3DLinearRolloff chooses linear instead of inverse distance roll-off.
    Result SetMode(Mode mode);
    // -1 loops endlessly, 0 plays once, n plays n + 1 times; applies with kModeLoopNormal.
    Result SetLoopCount(int count);
    Result Set3DAttributes(const glm::vec3& position);
    Result Set3DMinMaxDistance(float minDistance, float maxDistance);
    // `volume` is clamped to 0..1 and scaled by the channel group's volume.
    Result SetVolume(float volume);

private:
    friend class ChannelPool;

    Channel(ChannelPool& pool, std::uint32_t index, std::uint32_t generation)
        : m_pool(&pool), m_index(index), m_generation(generation)
    {
    }
    ChannelSlot* Slot() const;
    // Applies `change` to a playing 3D slot and moves its source to match.
    template <typename ChangeT> Result Change3D(ChangeT change);

    ChannelPool* m_pool = nullptr;
    std::uint32_t m_index = 0;
    std::uint32_t m_generation = 0;
};
} // namespace Morvane::Audio::Backend
