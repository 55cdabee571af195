#include "Sound/Backend/Output.h"

#include "Platform/Clock.h"
#include "Sound/Backend/Decoder.h"
#include "Sound/Backend/LibraryMessages.h"

#include <AL/al.h>
#include <algorithm>
#include <cmath>

namespace Morvane::Audio::Backend
{
namespace
{
bool IsFinite(const glm::vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}
} // namespace

Result Output::Create(std::unique_ptr<Output>& system)
{
    RouteLibraryMessages();
    system.reset(new Output());
    system->m_clock = &Platform::GetMilliseconds;
    return Result::Ok;
}

Output::~Output()
{
    Release();
}

Result Output::GetVersion(unsigned& version) const
{
    version = kVersion;
    return Result::Ok;
}

Result Output::GetNumDrivers(int& count)
{
    if (!m_drivers)
    {
        m_drivers = OutputDevice::ListDrivers();
    }
    count = static_cast<int>(m_drivers->size());
    return Result::Ok;
}

Result Output::GetDriverInfo(int index, std::string& name)
{
    int count = 0;
    GetNumDrivers(count);
    if (index < 0 || index >= count)
    {
        return Result::ErrorNoDriver;
    }
    name = (*m_drivers)[static_cast<std::size_t>(index)];
    return Result::Ok;
}

Result Output::SetOutput(OutputType output)
{
    if (IsInitialized())
    {
        return Result::ErrorAlreadyInitialized;
    }
    m_output = output;
    return Result::Ok;
}

Result Output::SetDriver(int index)
{
    if (IsInitialized())
    {
        return Result::ErrorAlreadyInitialized;
    }
    int count = 0;
    GetNumDrivers(count);
    if (index < 0 || index >= count)
    {
        return Result::ErrorNoDriver;
    }
    m_driver = index;
    return Result::Ok;
}

Result Output::Init(int maxChannels)
{
    if (IsInitialized())
    {
        return Result::ErrorAlreadyInitialized;
    }
    if (maxChannels <= 0)
    {
        return Result::ErrorInvalidParameter;
    }

    std::unique_ptr<OutputDevice> device;
    Result result = Result::Ok;
    if (m_output == OutputType::NoSound)
    {
        result = OutputDevice::OpenLoopback(kNoSoundSampleRate, maxChannels, device);
    }
    else
    {
        std::string name;
        result = GetDriverInfo(m_driver, name);
        if (result == Result::Ok)
        {
            result = OutputDevice::OpenDriver(name, maxChannels, device);
        }
    }
    if (result != Result::Ok)
    {
        return result;
    }

    result = m_channels.Create(maxChannels, device->HasSourceDistanceModel());
    if (result != Result::Ok)
    {
        return result;
    }
    m_device = std::move(device);
    m_lastRenderTime = m_clock();
    return Result::Ok;
}

Result Output::Update()
{
    if (!IsInitialized())
    {
        return Result::ErrorNotInitialized;
    }
    m_channels.StartPending();
    if (m_device->IsLoopback())
    {
        const std::uint32_t now = m_clock();
        const std::uint32_t elapsed = std::min(now - m_lastRenderTime, kMaxCatchUpMilliseconds);
        m_lastRenderTime = now;
        m_discard.resize(static_cast<std::size_t>(elapsed) * static_cast<std::size_t>(GetSampleRate()) /
                         1000);
        m_device->Render(m_discard);
    }
    m_channels.ReclaimFinished();
    return Result::Ok;
}

Result Output::Release()
{
    m_channels.Destroy();
    for (SoundBuffer* sound : m_sounds)
    {
        const ALuint buffer = sound->GetBuffer();
        alDeleteBuffers(1, &buffer);
        sound->Orphan();
    }
    m_sounds.clear();
    m_groups.clear();
    m_device.reset();
    return Result::Ok;
}

Result Output::CreateSound(const DecodedSound& decoded, Mode mode, std::unique_ptr<SoundBuffer>& sound)
{
    if (!IsInitialized())
    {
        return Result::ErrorNotInitialized;
    }
    if (decoded.samples.empty() || decoded.sampleRate <= 0 || decoded.channels < 1 || decoded.channels > 2)
    {
        return Result::ErrorFormat;
    }
    // Positioned sounds must be mono: OpenAL places only single-channel data.
    DecodedSound mono;
    const DecodedSound* data = &decoded;
    if ((mode & kMode3D) != 0 && decoded.channels > 1)
    {
        mono = decoded;
        Decoder::MixToMono(mono);
        data = &mono;
    }

    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    alBufferData(buffer, data->channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, data->samples.data(),
                 static_cast<ALsizei>(data->samples.size() * sizeof(std::int16_t)), data->sampleRate);
    if (alGetError() != AL_NO_ERROR)
    {
        alDeleteBuffers(1, &buffer);
        return Result::ErrorOpenAL;
    }
    sound.reset(new SoundBuffer(*this, buffer, mode, data->GetFrameCount(), data->sampleRate));
    m_sounds.push_back(sound.get());
    return Result::Ok;
}

Result Output::CreateChannelGroup(const std::string& name, ChannelGroup*& group)
{
    if (!IsInitialized())
    {
        return Result::ErrorNotInitialized;
    }
    m_groups.push_back(std::make_unique<ChannelGroup>(*this, name));
    group = m_groups.back().get();
    return Result::Ok;
}

Result Output::PlaySound(const SoundBuffer& sound, ChannelGroup* group, Channel& channel)
{
    channel = Channel();
    if (!IsInitialized())
    {
        return Result::ErrorNotInitialized;
    }
    if (std::find(m_sounds.begin(), m_sounds.end(), &sound) == m_sounds.end())
    {
        return Result::ErrorInvalidHandle;
    }
    return m_channels.Play(sound, group, channel);
}

Result Output::Set3DListenerAttributes(int listener, const glm::vec3& position, const glm::vec3& forward,
                                       const glm::vec3& up)
{
    if (!IsInitialized())
    {
        return Result::ErrorNotInitialized;
    }
    if (listener != 0 || !IsFinite(position) || !IsFinite(forward) || !IsFinite(up))
    {
        return Result::ErrorInvalidParameter;
    }
    const ALfloat orientation[] = {forward.x, forward.y, forward.z, up.x, up.y, up.z};
    alListener3f(AL_POSITION, position.x, position.y, position.z);
    alListener3f(AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    alListenerfv(AL_ORIENTATION, orientation);
    return Result::Ok;
}

void Output::SetClock(Clock clock)
{
    m_clock = std::move(clock);
    m_lastRenderTime = m_clock();
}

Result Output::Render(std::span<float> mono)
{
    if (!IsInitialized())
    {
        return Result::ErrorNotInitialized;
    }
    m_channels.StartPending();
    return m_device->Render(mono);
}

void Output::ForgetSound(SoundBuffer& sound)
{
    const auto found = std::find(m_sounds.begin(), m_sounds.end(), &sound);
    if (found == m_sounds.end())
    {
        return;
    }
    m_channels.StopAllOf(sound);
    const ALuint buffer = sound.GetBuffer();
    alDeleteBuffers(1, &buffer);
    m_sounds.erase(found);
}

Result Output::ReleaseChannelGroup(ChannelGroup& group)
{
    const auto found =
        std::find_if(m_groups.begin(), m_groups.end(),
                     [&group](const std::unique_ptr<ChannelGroup>& g) { return g.get() == &group; });
    if (found == m_groups.end())
    {
        return Result::ErrorInvalidHandle;
    }
    m_channels.LeaveGroup(group);
    m_groups.erase(found);
    return Result::Ok;
}

void Output::ApplyGroupVolume(const ChannelGroup& group)
{
    m_channels.ApplyGroupVolume(group);
}
} // namespace Morvane::Audio::Backend
