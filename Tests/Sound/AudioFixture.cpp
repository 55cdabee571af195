#include "AudioFixture.h"

#include "Parsing/XMLParserData/XMLParserData.h"
#include "Resources/ResourceSystem.h"
#include "System/Logging/Format.h"
#include "ToneFile.h"

#include <regex>

namespace Morvane::Testing
{
void AudioFixture::SetUp()
{
    WriteTone(m_folder.Path() + "tone.wav", 0.2f, kAmplitude);
    WriteTone(m_folder.Path() + "long.wav", 2.0f, kAmplitude);
    Define(Format(R"(<Sound name="Tone" path="%stone.wav"/>
                     <Sound name="Tone3D" path="%slong.wav" is3D="true"/>
                     <Sound name="Long" path="%slong.wav"/>)",
                  m_folder.Path().c_str(), m_folder.Path().c_str(), m_folder.Path().c_str()));
    m_audio.SetVolume(1.0f);
    ASSERT_TRUE(m_audio.Initialize());
    m_mix = std::make_unique<MixCapture>(*m_audio.GetBackend());
    m_audio.SetListener({0, 0, 0}, {0, 0, -1}, {0, 1, 0});
}

void AudioFixture::TearDown()
{
    m_audio.Release();
    Resources::System::GetInstance().Release();
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
