#include "Sound/Sound.h"

#include "Parsing/IParserData.h"
#include "Sound/AudioComponent.h"
#include "Sound/AudioSystem.h"
#include "Sound/Backend/Decoder.h"
#include "Sound/Backend/Output.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/PathWrapper/PathWrapper.h"

namespace Morvane::Audio
{
namespace
{
constexpr Backend::Mode kCreateMode = Backend::kModeHardware | Backend::kModeLoopNormal;
} // namespace

std::string Sound::Channel() const
{
    return Format("Sound '%s'", GetName().c_str());
}

bool Sound::Parse(const IParserData* definition)
{
    MORVANE_ASSERT_NAMED(m_sound == nullptr, "m_sound == 0", __LINE__);
    m_path = definition->GetAttribute("path", "");
    if (m_path.empty())
    {
        Log::Error(Channel(), "No audio filename specified");
        m_failedToLoad = true;
        return false;
    }
    m_is3D = definition->GetAttributeBool("is3D", false);
    m_expandedPath = PathWrapper::GetInstance().Expand(m_path);
    m_decodeResult = Backend::Decoder::Decode(m_expandedPath, m_is3D, m_decoded);
    return true;
}

bool Sound::Save(IParserData* data)
{
    data->SetAttribute("path", m_path);
    data->SetAttributeBool("is3D", m_is3D);
    return true;
}

bool Sound::Initialize()
{
    if (m_path.empty())
    {
        Log::Error(Channel(), "No audio filename specified");
        m_failedToLoad = true;
        return false;
    }
    if (m_decodeResult != Backend::Result::Ok)
    {
        FailLoading(m_decodeResult);
        return false;
    }
    Backend::Output* output = System::GetInstance().GetBackend();
    const Backend::Mode mode = kCreateMode | (m_is3D ? Backend::kMode3D : Backend::kMode2D);
    const Backend::Result result = output != nullptr ? output->CreateSound(m_decoded, mode, m_sound)
                                                     : Backend::Result::ErrorNotInitialized;
    if (result != Backend::Result::Ok)
    {
        FailLoading(result);
        return false;
    }
    m_decoded = Backend::DecodedSound{};
    SetInitialized(true);
    return true;
}

void Sound::FailLoading(Backend::Result result)
{
    m_failedToLoad = true;
    Log::Error(Channel(), Format("Could not load file '%s' because '%s'.", m_expandedPath.c_str(),
                                 Backend::ErrorString(result)));
}

void Sound::Release()
{
    for (Component* component : System::GetInstance().GetComponents())
    {
        component->ForgetSound(*this);
    }
    if (m_sound && m_sound->Release() != Backend::Result::Ok)
    {
        Log::Error(Channel(), "Could not release");
    }
    m_sound.reset();
    m_decoded = Backend::DecodedSound{};
    SetInitialized(false);
}

unsigned Sound::GetLength() const
{
    unsigned length = 0;
    if (m_sound)
    {
        m_sound->GetLength(length);
    }
    return length;
}
} // namespace Morvane::Audio
