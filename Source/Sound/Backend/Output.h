#pragma once

#include "Sound/Backend/Channel.h"
#include "Sound/Backend/ChannelGroup.h"
#include "Sound/Backend/ChannelPool.h"
#include "Sound/Backend/DecodedSound.h"
#include "Sound/Backend/Mode.h"
#include "Sound/Backend/OutputDevice.h"
#include "Sound/Backend/Result.h"
#include "Sound/Backend/SoundBuffer.h"

#include <cstdint>
#include <functional>
#include <glm/vec3.hpp>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Morvane::Audio::Backend
{
// The sound output: drivers, channels, sounds, channel groups and the listener, on OpenAL Soft.
// Every call belongs on one thread (the main thread); only Decoder may run elsewhere.
class Output
{
public:
    static constexpr unsigned kVersion = 0x00010212;
    // The no-sound output mixes mono at this rate.
    static constexpr int kNoSoundSampleRate = 44100;
    // Longest stretch the no-sound output catches up on in one update.
    static constexpr std::uint32_t kMaxCatchUpMilliseconds = 250;

    using Clock = std::function<std::uint32_t()>;

    static Result Create(std::unique_ptr<Output>& system);
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    Result GetVersion(unsigned& version) const;
    Result GetNumDrivers(int& count);
    Result GetDriverInfo(int index, std::string& name);
    Result SetOutput(OutputType output);
    Result SetDriver(int index);
    Result Init(int maxChannels);
    // Starts this frame's playbacks, lets the no-sound output catch up with the clock and hands the
    // sources of finished playbacks back.
    Result Update();
    // Stops everything and closes the output; sounds still held elsewhere become empty shells.
    Result Release();

    // Makes a sound from samples decoded earlier (possibly on another thread).
    Result CreateSound(const DecodedSound& decoded, Mode mode, std::unique_ptr<SoundBuffer>& sound);
    Result CreateChannelGroup(const std::string& name, ChannelGroup*& group);
    Result PlaySound(const SoundBuffer& sound, ChannelGroup* group, Channel& channel);
    // Listener 0 is the only listener.
    Result Set3DListenerAttributes(int listener, const glm::vec3& position, const glm::vec3& forward,
                                   const glm::vec3& up);

    bool IsInitialized() const { return m_device != nullptr; }
    OutputType GetOutput() const { return m_output; }
    int GetSampleRate() const { return m_device ? m_device->GetSampleRate() : 0; }
    std::size_t GetFreeSourceCount() const { return m_channels.GetFreeSourceCount(); }

    // The clock (milliseconds) the no-sound output follows.
    void SetClock(Clock clock);
    // Mixes the next `mono.size()` frames into `mono`; the no-sound output only.
    Result Render(std::span<float> mono);

private:
    friend class SoundBuffer;
    friend class ChannelGroup;

    Output() = default;
    void ForgetSound(SoundBuffer& sound);
    Result ReleaseChannelGroup(ChannelGroup& group);
    void ApplyGroupVolume(const ChannelGroup& group);

    OutputType m_output = OutputType::Automatic;
    int m_driver = 0;
    std::optional<std::vector<std::string>> m_drivers;
    std::unique_ptr<OutputDevice> m_device;
    ChannelPool m_channels;
    std::vector<std::unique_ptr<ChannelGroup>> m_groups;
    std::vector<SoundBuffer*> m_sounds;
    Clock m_clock;
    std::uint32_t m_lastRenderTime = 0;
    std::vector<float> m_discard;
};
} // namespace Morvane::Audio::Backend
