#include "AudioFixture.h"

#include "Parsing/XMLParserData/XMLParserData.h"
#include "Resources/ResourceSystem.h"
#include "System/Logging/Format.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <regex>
#include <sndfile.h>
#include <stdexcept>

namespace Morvane::Testing
{
namespace
{
// Writes a 441 Hz sine of constant amplitude as 16-bit WAV at 44.1 kHz.
void WriteTone(const std::string& path, float seconds, float amplitude, int channels = 1)
{
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr)
    {
        throw std::runtime_error("cannot write " + path);
    }
    const auto frames = static_cast<std::size_t>(seconds * 44100.0f);
    std::vector<float> samples;
    for (std::size_t frame = 0; frame < frames; ++frame)
    {
        const double phase = 2.0 * std::numbers::pi * 441.0 * static_cast<double>(frame) / 44100.0;
        samples.insert(samples.end(), static_cast<std::size_t>(channels),
                       amplitude * static_cast<float>(std::sin(phase)));
    }
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(frames));
    sf_close(file);
}
} // namespace

void AudioFixture::SetUp()
{
    const std::string folder = m_folder.Path();
    WriteTone(folder + "tone.wav", 0.2f, kAmplitude);
    WriteTone(folder + "long.wav", 2.0f, kAmplitude);
    WriteTone(folder + "stereo.wav", 2.0f, kAmplitude, 2);
    Define(Format(R"(<Sound name="Tone" path="%stone.wav"/>
                     <Sound name="Tone3D" path="%slong.wav" is3D="true"/>
                     <Sound name="Long" path="%slong.wav"/>
                     <Sound name="Stereo3D" path="%sstereo.wav" is3D="true"/>)",
                  folder.c_str(), folder.c_str(), folder.c_str(), folder.c_str()));
    m_audio.SetVolume(1.0f);
    ASSERT_TRUE(m_audio.Initialize());
    FreezeClock();
    m_audio.SetListener({0, 0, 0}, {0, 0, -1}, {0, 1, 0});
}

void AudioFixture::TearDown()
{
    m_audio.Release();
    Resources::System::GetInstance().Release();
}

void AudioFixture::FreezeClock()
{
    m_audio.GetBackend()->SetClock([] { return 0u; });
}

std::vector<float> AudioFixture::Render(unsigned milliseconds)
{
    Audio::Backend::AudioSystem& backend = *m_audio.GetBackend();
    std::vector<float> mix(static_cast<std::size_t>(backend.GetSampleRate()) * milliseconds / 1000);
    if (backend.Render(mix) != Audio::Backend::Result::Ok)
    {
        throw std::runtime_error("the back end cannot render");
    }
    return mix;
}

float AudioFixture::Level(unsigned milliseconds)
{
    Render(5);
    return Peak(Render(milliseconds));
}

float AudioFixture::Peak(const std::vector<float>& samples)
{
    float peak = 0.0f;
    for (const float sample : samples)
    {
        peak = std::max(peak, std::fabs(sample));
    }
    return peak;
}

bool AudioFixture::Logged(LogCapture& log, const std::string& message)
{
    static const std::regex continuation("\n +");
    return std::regex_replace(log.Text(), continuation, "").find(message) != std::string::npos;
}

void AudioFixture::Define(const std::string& definitions)
{
    XMLParserData root;
    ASSERT_TRUE(root.FromString("<ResourceSystem>" + definitions + "</ResourceSystem>"));
    ASSERT_TRUE(Resources::System::GetInstance().Parse(&root));
}

ObjectPointer AudioFixture::MakeObject(const std::string& name, const std::string& description)
{
    XMLParserData root;
    EXPECT_TRUE(root.FromString("<Object>" + description + "</Object>"));
    ObjectPointer object(new Game::Object(name));
    return object->Parse(&root) ? std::move(object) : nullptr;
}
} // namespace Morvane::Testing
