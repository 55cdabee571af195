#include "Sound/AudioComponent.h"

#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Parsing/IParserData.h"
#include "Resources/ResourceSystem.h"
#include "Sound/AudioSystem.h"
#include "Sound/Sound.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <utility>

namespace Morvane::Audio
{
Component::~Component()
{
    Release();
}

std::string Component::Channel() const
{
    return Format("%s/Audio", GetOwnerName().c_str());
}

bool Component::Parse(const IParserData* data)
{
    MORVANE_ASSERT_NAMED_IN(data != nullptr, "parserData", "Source/Component/Component.cpp", 55);
    Game::Component::Parse(data);
    if (data->HasAttribute("sound"))
    {
        SetSound(data->GetAttribute("sound", ""));
        if (m_sound == nullptr)
        {
            Log::Error(Channel(), "Sound not specified");
            return false;
        }
    }
    playOnStart = data->GetAttributeBool("playOnStart", false);
    minDistance = data->GetAttributeFloat("minDistance", kDefaultMinDistance);
    maxDistance = data->GetAttributeFloat("maxDistance", kDefaultMaxDistance);
    volume = data->GetAttributeFloat("volume", 1.0f);
    return true;
}

void Component::Clone(Game::Component* destination)
{
    if (dynamic_cast<Component*>(destination) == nullptr)
    {
        Log::Error(Channel(), "Tried to clone incorrect types");
    }
}

bool Component::Initialize()
{
    m_targetTransform = FindTransform();
    if (m_sound != nullptr && m_sound->Is3D() && m_targetTransform == nullptr)
    {
        Log::Error(Channel(), "Trying to use a 3D sound without transform");
        return false;
    }
    if (playOnStart && m_sound != nullptr)
    {
        Play(true);
    }
    return true;
}

void Component::Update(const float&)
{
    if (m_pendingLoop)
    {
        StartPending();
    }
    if (m_sound != nullptr && m_sound->Is3D() && !m_channel.IsNull() && m_targetTransform != nullptr)
    {
        m_channel.Set3DAttributes(m_targetTransform->GetPosition());
    }
}

void Component::Release()
{
    m_pendingLoop.reset();
    if (!m_channel.IsNull())
    {
        m_channel.Stop();
        m_channel = Backend::Channel();
    }
}

void Component::StartPending()
{
    if (m_sound->HasFailedToLoad())
    {
        m_pendingLoop.reset();
        Log::Error(Channel(), Format("Could not play sound '%s'", m_sound->GetName().c_str()));
        return;
    }
    if (m_sound->GetBackendSound() == nullptr)
    {
        return;
    }
    const bool loop = *std::exchange(m_pendingLoop, std::nullopt);
    // Whether a background sound is 3D is known only now, so Initialize could not check this.
    if (m_sound->Is3D() && FindTransform() == nullptr)
    {
        Log::Error(Channel(), "Trying to use a 3D sound without transform");
        return;
    }
    Start(loop);
}

void Component::ForgetSound(const Sound& sound)
{
    if (m_sound == &sound)
    {
        Release();
        m_sound = nullptr;
    }
}

void Component::SetSound(const std::string& name)
{
    if (Sound* sound = Resources::System::GetInstance().GetResource<Sound>(name))
    {
        m_sound = sound;
        return;
    }
    Log::Error(Channel(), Format("Could not set sound '%s', not found", name.c_str()));
}

void Component::Play(bool loop)
{
    MORVANE_ASSERT_NAMED(m_sound != nullptr, "m_sound", 175);
    Release();
    if (System::GetInstance().GetBackend() == nullptr)
    {
        // Without an output (audio off, or it failed to start) the game goes on silently.
        Log::Error(Channel(),
                   Format("Could not play sound '%s': no audio output", m_sound->GetName().c_str()));
        return;
    }
    if (m_sound->GetBackendSound() == nullptr)
    {
        // Still loading in the background: playback starts in the first update after it is ready. A sound
        // that already failed to load is refused at once.
        m_pendingLoop = loop;
        StartPending();
        return;
    }
    Start(loop);
}

void Component::Start(bool loop)
{
    Backend::Output* output = System::GetInstance().GetBackend();
    MORVANE_ASSERT_NAMED_IN(output != nullptr, "m_fmodSystem", "Source/System/System.cpp", 334);
    output->PlaySound(*m_sound->GetBackendSound(), System::GetInstance().GetChannelGroup(), m_channel);
    MORVANE_ASSERT_NAMED(!m_channel.IsNull(), "m_channel", 179);

    const Backend::Mode rolloff = m_sound->Is3D() ? Backend::kMode3DLinearRolloff : 0;
    m_channel.SetMode((loop ? Backend::kModeLoopNormal : Backend::kModeLoopOff) | rolloff);
    m_channel.SetLoopCount(loop ? -1 : 0);
    if (m_sound->Is3D())
    {
        if (m_targetTransform == nullptr)
        {
            m_targetTransform = FindTransform();
        }
        MORVANE_ASSERT_NAMED(m_targetTransform != nullptr, "m_targetTransform", 199);
        Place();
    }
    if (!m_channel.IsNull())
    {
        m_channel.SetVolume(volume);
    }
}

void Component::Place()
{
    Backend::Result result = m_channel.Set3DAttributes(m_targetTransform->GetPosition());
    if (result == Backend::Result::Ok)
    {
        result = m_channel.Set3DMinMaxDistance(minDistance, maxDistance);
    }
    if (result != Backend::Result::Ok)
    {
        // Heard from the wrong place is worse than not heard.
        Release();
        Log::Error(Channel(), Format("Could not place sound: '%s'", Backend::ErrorString(result)));
    }
}

bool Component::IsPlaying() const
{
    bool playing = false;
    m_channel.IsPlaying(playing);
    return playing || m_pendingLoop.has_value();
}

float Component::GetProgress() const
{
    if (m_channel.IsNull() || m_sound == nullptr)
    {
        return 0.0f;
    }
    const unsigned length = m_sound->GetLength();
    unsigned position = 0;
    if (length == 0 || m_channel.GetPosition(position) != Backend::Result::Ok)
    {
        return 0.0f;
    }
    return static_cast<float>(position) / static_cast<float>(length);
}

void Component::SetVolume(float channelVolume)
{
    volume = channelVolume;
    if (!m_channel.IsNull())
    {
        m_channel.SetVolume(volume);
    }
}

void Component::SetDistances(float minimum, float maximum)
{
    minDistance = minimum;
    maxDistance = maximum;
    if (!m_channel.IsNull() && m_sound->Is3D())
    {
        Place();
    }
}

Game::TransformComponent* Component::FindTransform()
{
    return m_parentObject != nullptr ? m_parentObject->GetComponent<Game::TransformComponent>() : nullptr;
}
} // namespace Morvane::Audio
