#pragma once

#include "Sound/Backend/ChannelSlot.h"
#include "Sound/Backend/Result.h"

#include <cstddef>
#include <vector>

namespace Morvane::Audio::Backend
{
class Channel;

// The fixed set of channels and the OpenAL sources that serve them. A playback takes a source from
// the free list and gives it back when it is stopped or has finished; when every channel is busy the
// oldest playback is stolen.
class ChannelPool
{
public:
    // Finite loop counts are played by queueing the sound once per pass.
    static constexpr int kMaxLoopCount = 255;

    ChannelPool() = default;
    ~ChannelPool();
    ChannelPool(const ChannelPool&) = delete;
    ChannelPool& operator=(const ChannelPool&) = delete;

    Result Create(int channels, bool sourceDistanceModel);
    void Destroy();

    Result Play(const SoundBuffer& sound, const ChannelGroup* group, Channel& channel);
    ChannelSlot* Find(std::uint32_t index, std::uint32_t generation);
    void Stop(ChannelSlot& slot);

    void StartPending();
    void ReclaimFinished();
    // Frees `slot` (started) when its playback has run out; true when it did.
    bool ReclaimIfFinished(ChannelSlot& slot);
    void StopAllOf(const SoundBuffer& sound);
    void LeaveGroup(const ChannelGroup& group);
    void ApplyGroupVolume(const ChannelGroup& group);

    void ApplyGain(const ChannelSlot& slot) const;
    void ApplySpatial(const ChannelSlot& slot) const;
    void ApplyLooping(const ChannelSlot& slot) const;

    std::size_t GetFreeSourceCount() const { return m_freeSources.size(); }

private:
    ChannelSlot* FindIdle();
    ChannelSlot& Steal();

    std::vector<ChannelSlot> m_slots;
    std::vector<unsigned> m_freeSources;
    std::uint64_t m_nextPlayOrder = 0;
    bool m_sourceDistanceModel = false;
};
} // namespace Morvane::Audio::Backend
