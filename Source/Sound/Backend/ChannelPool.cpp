#include "Sound/Backend/ChannelPool.h"

#include "Sound/Backend/Channel.h"
#include "Sound/Backend/ChannelGroup.h"
#include "Sound/Backend/SoundBuffer.h"

#include <AL/al.h>
#include <AL/alext.h>
#include <algorithm>

namespace Morvane::Audio::Backend
{
ChannelPool::~ChannelPool()
{
    Destroy();
}

Result ChannelPool::Create(int channels, bool sourceDistanceModel)
{
    Destroy();
    if (channels <= 0)
    {
        return Result::ErrorInvalidParameter;
    }
    alGetError();
    m_freeSources.resize(static_cast<std::size_t>(channels));
    alGenSources(channels, m_freeSources.data());
    if (alGetError() != AL_NO_ERROR)
    {
        m_freeSources.clear();
        return Result::ErrorOpenAL;
    }
    m_slots.resize(static_cast<std::size_t>(channels));
    m_sourceDistanceModel = sourceDistanceModel;
    return Result::Ok;
}

void ChannelPool::Destroy()
{
    for (ChannelSlot& slot : m_slots)
    {
        if (slot.active)
        {
            Stop(slot);
        }
    }
    if (!m_freeSources.empty())
    {
        alDeleteSources(static_cast<ALsizei>(m_freeSources.size()), m_freeSources.data());
    }
    m_freeSources.clear();
    m_slots.clear();
}

Result ChannelPool::Play(const SoundBuffer& sound, const ChannelGroup* group, Channel& channel)
{
    ChannelSlot* slot = FindIdle();
    if (slot == nullptr)
    {
        ReclaimFinished();
        slot = FindIdle();
    }
    if (slot == nullptr)
    {
        slot = &Steal();
    }

    const std::uint32_t generation = slot->generation;
    *slot = ChannelSlot{};
    slot->generation = generation;
    slot->active = true;
    slot->source = m_freeSources.back();
    m_freeSources.pop_back();
    slot->sound = &sound;
    slot->group = group;
    slot->loopNormal = (sound.GetMode() & kModeLoopNormal) != 0;
    slot->is3D = sound.Is3D();
    slot->linearRolloff = (sound.GetMode() & kMode3DLinearRolloff) != 0;
    slot->playOrder = m_nextPlayOrder++;
    ApplyGain(*slot);
    ApplySpatial(*slot);

    channel = Channel(*this, static_cast<std::uint32_t>(slot - m_slots.data()), slot->generation);
    return Result::Ok;
}

ChannelSlot* ChannelPool::Find(std::uint32_t index, std::uint32_t generation)
{
    if (index >= m_slots.size())
    {
        return nullptr;
    }
    ChannelSlot& slot = m_slots[index];
    return slot.active && slot.generation == generation ? &slot : nullptr;
}

void ChannelPool::Stop(ChannelSlot& slot)
{
    alSourceStop(slot.source);
    alSourcei(slot.source, AL_BUFFER, 0);
    alSourcei(slot.source, AL_LOOPING, AL_FALSE);
    m_freeSources.push_back(slot.source);
    slot.source = 0;
    slot.active = false;
    slot.started = false;
    slot.sound = nullptr;
    slot.group = nullptr;
    ++slot.generation;
}

void ChannelPool::StartPending()
{
    for (ChannelSlot& slot : m_slots)
    {
        if (!slot.active || slot.started)
        {
            continue;
        }
        const ALuint buffer = slot.sound->GetBuffer();
        alSourcei(slot.source, AL_BUFFER, 0);
        if (slot.loopNormal && slot.loopCount > 0)
        {
            const std::vector<ALuint> passes(static_cast<std::size_t>(slot.loopCount) + 1, buffer);
            alSourceQueueBuffers(slot.source, static_cast<ALsizei>(passes.size()), passes.data());
        }
        else
        {
            alSourcei(slot.source, AL_BUFFER, static_cast<ALint>(buffer));
        }
        ApplyLooping(slot);
        alSourcePlay(slot.source);
        slot.started = true;
    }
}

void ChannelPool::ReclaimFinished()
{
    for (ChannelSlot& slot : m_slots)
    {
        if (slot.active && slot.started)
        {
            ReclaimIfFinished(slot);
        }
    }
}

bool ChannelPool::ReclaimIfFinished(ChannelSlot& slot)
{
    ALint state = AL_STOPPED;
    alGetSourcei(slot.source, AL_SOURCE_STATE, &state);
    if (state != AL_STOPPED)
    {
        return false;
    }
    Stop(slot);
    return true;
}

void ChannelPool::StopAllOf(const SoundBuffer& sound)
{
    for (ChannelSlot& slot : m_slots)
    {
        if (slot.active && slot.sound == &sound)
        {
            Stop(slot);
        }
    }
}

void ChannelPool::LeaveGroup(const ChannelGroup& group)
{
    for (ChannelSlot& slot : m_slots)
    {
        if (slot.active && slot.group == &group)
        {
            slot.group = nullptr;
            ApplyGain(slot);
        }
    }
}

void ChannelPool::ApplyGroupVolume(const ChannelGroup& group)
{
    for (const ChannelSlot& slot : m_slots)
    {
        if (slot.active && slot.group == &group)
        {
            ApplyGain(slot);
        }
    }
}

void ChannelPool::ApplyGain(const ChannelSlot& slot) const
{
    const float groupVolume = slot.group != nullptr ? slot.group->GetVolume() : 1.0f;
    alSourcef(slot.source, AL_GAIN, slot.volume * groupVolume);
}

void ChannelPool::ApplySpatial(const ChannelSlot& slot) const
{
    if (!slot.is3D)
    {
        // Heard as is: at the listener, no roll-off.
        alSourcei(slot.source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(slot.source, AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSourcef(slot.source, AL_ROLLOFF_FACTOR, 0.0f);
        return;
    }
    alSourcei(slot.source, AL_SOURCE_RELATIVE, AL_FALSE);
    alSource3f(slot.source, AL_POSITION, slot.position.x, slot.position.y, slot.position.z);
    alSourcef(slot.source, AL_REFERENCE_DISTANCE, slot.minDistance);
    alSourcef(slot.source, AL_MAX_DISTANCE, slot.maxDistance);
    alSourcef(slot.source, AL_ROLLOFF_FACTOR, 1.0f);
    if (m_sourceDistanceModel)
    {
        alSourcei(slot.source, AL_DISTANCE_MODEL,
                  slot.linearRolloff ? AL_LINEAR_DISTANCE_CLAMPED : AL_INVERSE_DISTANCE_CLAMPED);
    }
}

void ChannelPool::ApplyLooping(const ChannelSlot& slot) const
{
    alSourcei(slot.source, AL_LOOPING, slot.IsEndless() ? AL_TRUE : AL_FALSE);
}

ChannelSlot* ChannelPool::FindIdle()
{
    if (m_freeSources.empty())
    {
        return nullptr;
    }
    const auto idle =
        std::find_if(m_slots.begin(), m_slots.end(), [](const ChannelSlot& s) { return !s.active; });
    return idle != m_slots.end() ? &*idle : nullptr;
}

ChannelSlot& ChannelPool::Steal()
{
    ChannelSlot& oldest = *std::min_element(m_slots.begin(), m_slots.end(),
                                            [](const ChannelSlot& a, const ChannelSlot& b)
                                            { return a.playOrder < b.playOrder; });
    Stop(oldest);
    return oldest;
}
} // namespace Morvane::Audio::Backend
