#include "Sound/Backend/SoundBuffer.h"

#include "Sound/Backend/Output.h"

namespace Morvane::Audio::Backend
{
SoundBuffer::SoundBuffer(Output& system, unsigned buffer, Mode mode, std::size_t frames, int sampleRate)
    : m_system(&system), m_buffer(buffer), m_mode(mode), m_frames(frames), m_sampleRate(sampleRate)
{
}

SoundBuffer::~SoundBuffer()
{
    Release();
}

Result SoundBuffer::Release()
{
    if (m_system != nullptr)
    {
        m_system->ForgetSound(*this);
        Orphan();
    }
    return Result::Ok;
}

Result SoundBuffer::GetLength(unsigned& milliseconds) const
{
    milliseconds = m_sampleRate > 0
                       ? static_cast<unsigned>(m_frames * 1000 / static_cast<std::size_t>(m_sampleRate))
                       : 0;
    return Result::Ok;
}

void SoundBuffer::Orphan()
{
    m_system = nullptr;
    m_buffer = 0;
}
} // namespace Morvane::Audio::Backend
