#include "Sound/Backend/Channel.h"

#include "Sound/Backend/ChannelPool.h"
#include "Sound/Backend/SoundBuffer.h"

#include <AL/al.h>
#include <algorithm>
#include <cmath>

namespace Morvane::Audio::Backend
{
ChannelSlot* Channel::Slot() const
{
    if (m_pool == nullptr)
    {
        return nullptr;
    }
    ChannelSlot* slot = m_pool->Find(m_index, m_generation);
    if (slot == nullptr || !slot->started)
    {
        return slot;
    }
    // A playback that has run out is over now, not only from the next update.
    return m_pool->ReclaimIfFinished(*slot) ? nullptr : slot;
}

template <typename ChangeT> Result Channel::Change3D(ChangeT change)
{
    ChannelSlot* slot = Slot();
    if (slot == nullptr)
    {
        return Result::ErrorInvalidHandle;
    }
    if (!slot->is3D)
    {
        return Result::ErrorNeeds3D;
    }
    change(*slot);
    m_pool->ApplySpatial(*slot);
    return Result::Ok;
}

Result Channel::Stop()
{
    ChannelSlot* slot = Slot();
    if (slot == nullptr)
    {
        return Result::ErrorInvalidHandle;
    }
    m_pool->Stop(*slot);
    return Result::Ok;
}

Result Channel::IsPlaying(bool& playing) const
{
    playing = Slot() != nullptr;
    return playing ? Result::Ok : Result::ErrorInvalidHandle;
}

Result Channel::GetPosition(unsigned& milliseconds) const
{
    milliseconds = 0;
    const ChannelSlot* slot = Slot();
    if (slot == nullptr)
    {
        return Result::ErrorInvalidHandle;
    }
    if (!slot->started)
    {
        return Result::Ok;
    }
    ALint offset = 0;
    alGetSourcei(slot->source, AL_SAMPLE_OFFSET, &offset);
    const std::size_t frames = slot->sound->GetFrameCount();
    const auto rate = static_cast<std::size_t>(slot->sound->GetSampleRate());
    if (frames == 0 || rate == 0)
    {
        return Result::Ok;
    }
    // Queued passes count from the start of the first one.
    const std::size_t frame = static_cast<std::size_t>(std::max(offset, 0)) % frames;
    milliseconds = static_cast<unsigned>(frame * 1000 / rate);
    return Result::Ok;
}

Result Channel::SetMode(Mode mode)
{
    ChannelSlot* slot = Slot();
    if (slot == nullptr)
    {
        return Result::ErrorInvalidHandle;
    }
    if ((mode & kModeLoopNormal) != 0)
    {
        slot->loopNormal = true;
    }
    else if ((mode & kModeLoopOff) != 0)
    {
        slot->loopNormal = false;
    }
    if ((mode & kMode3D) != 0)
    {
        slot->is3D = true;
    }
    else if ((mode & kMode2D) != 0)
    {
        slot->is3D = false;
    }
    slot->linearRolloff = (mode & kMode3DLinearRolloff) != 0;
    m_pool->ApplySpatial(*slot);
    if (slot->started)
    {
        m_pool->ApplyLooping(*slot);
    }
    return Result::Ok;
}

Result Channel::SetLoopCount(int count)
{
    if (count < -1 || count > ChannelPool::kMaxLoopCount)
    {
        return Result::ErrorInvalidParameter;
    }
    ChannelSlot* slot = Slot();
    if (slot == nullptr)
    {
        return Result::ErrorInvalidHandle;
    }
    slot->loopCount = count;
    if (slot->started)
    {
        m_pool->ApplyLooping(*slot);
    }
    return Result::Ok;
}

Result Channel::Set3DAttributes(const glm::vec3& position)
{
    if (!std::isfinite(position.x) || !std::isfinite(position.y) || !std::isfinite(position.z))
    {
        return Result::ErrorInvalidParameter;
    }
    return Change3D([&](ChannelSlot& slot) { slot.position = position; });
}

Result Channel::Set3DMinMaxDistance(float minDistance, float maxDistance)
{
    if (!(minDistance >= 0.0f) || !(maxDistance >= minDistance) || !std::isfinite(maxDistance))
    {
        return Result::ErrorInvalidParameter;
    }
    return Change3D(
        [&](ChannelSlot& slot)
        {
            slot.minDistance = minDistance;
            slot.maxDistance = maxDistance;
        });
}

Result Channel::SetVolume(float volume)
{
    if (std::isnan(volume))
    {
        return Result::ErrorInvalidParameter;
    }
    ChannelSlot* slot = Slot();
    if (slot == nullptr)
    {
        return Result::ErrorInvalidHandle;
    }
    slot->volume = std::clamp(volume, 0.0f, 1.0f);
    m_pool->ApplyGain(*slot);
    return Result::Ok;
}
} // namespace Morvane::Audio::Backend
