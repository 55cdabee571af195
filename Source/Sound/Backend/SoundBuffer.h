#pragma once

#include "Sound/Backend/Mode.h"
#include "Sound/Backend/Result.h"

#include <cstddef>

namespace Morvane::Audio::Backend
{
class Output;

// One sound held by the output, made by Output::CreateSound. Releasing it (or destroying it)
// stops every channel that plays it. A sound that outlives its system has already lost its data and
// releases as a no-op.
class SoundBuffer
{
public:
    ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    Result Release();
    Result GetLength(unsigned& milliseconds) const;
    Mode GetMode() const { return m_mode; }
    bool Is3D() const { return (m_mode & kMode3D) != 0; }
    std::size_t GetFrameCount() const { return m_frames; }
    int GetSampleRate() const { return m_sampleRate; }
    unsigned GetBuffer() const { return m_buffer; }

private:
    friend class Output;

    SoundBuffer(Output& system, unsigned buffer, Mode mode, std::size_t frames, int sampleRate);
    // The system went away and took the data with it.
    void Orphan();

    Output* m_system;
    unsigned m_buffer;
    Mode m_mode;
    std::size_t m_frames;
    int m_sampleRate;
};
} // namespace Morvane::Audio::Backend
