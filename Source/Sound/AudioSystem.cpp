#include "Sound/AudioSystem.h"

#include "Component/ComponentRegistry.h"
#include "Component/Object.h"
#include "Resources/ResourceSystem.h"
#include "Sound/AudioComponent.h"
#include "Sound/Sound.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>

namespace Morvane::Audio
{
namespace
{
const char* const kChannel = "Audio system";

using Backend::Result;

Game::Component* CreateForObject(Game::Object* owner, const IParserData*)
{
    return System::GetInstance().CreateComponent(owner);
}

void DeleteForObject(Game::Component* component)
{
    System::GetInstance().RemoveComponent(static_cast<Component*>(component));
}
} // namespace

System& System::GetInstance()
{
    static System instance;
    return instance;
}

System::System()
{
    Game::ComponentRegistry::GetInstance().RegisterKind<Component>("Audio", &CreateForObject,
                                                                   &DeleteForObject);
}

System::~System()
{
    Release();
}

bool System::Fail(const char* what, Result result)
{
    Log::Error(kChannel, Format("%s: '%s'", what, Backend::ErrorString(result)));
    return false;
}

bool System::FailInitialization(const char* what, Result result)
{
    // A half-made output would look usable to everyone else.
    channelGroup = nullptr;
    m_fmodSystem.reset();
    return Fail(what, result);
}

bool System::Initialize()
{
    Release();

    Result result = Backend::Output::Create(m_fmodSystem);
    if (result != Result::Ok)
    {
        return FailInitialization("Could not create audio system", result);
    }
    unsigned version = 0;
    result = m_fmodSystem->GetVersion(version);
    if (result != Result::Ok)
    {
        return FailInitialization("Could not get fmod version", result);
    }
    if (version < kMinimumVersion)
    {
        m_fmodSystem.reset();
        Log::Error(kChannel, "Using incorrect FMOD version");
        return false;
    }
    int drivers = 0;
    result = m_fmodSystem->GetNumDrivers(drivers);
    if (result != Result::Ok)
    {
        return FailInitialization("Could not get device count", result);
    }
    if (drivers == 0)
    {
        Log::Warning(kChannel, "No audio devices detected");
        result = m_fmodSystem->SetOutput(Backend::OutputType::NoSound);
        if (result != Result::Ok)
        {
            return FailInitialization("Could not set output", result);
        }
    }
    else
    {
        std::string driverName;
        result = m_fmodSystem->GetDriverInfo(0, driverName);
        if (result != Result::Ok)
        {
            return FailInitialization("Could not get driver info", result);
        }
        result = m_fmodSystem->SetDriver(0);
        if (result != Result::Ok)
        {
            return FailInitialization("Could not set driver", result);
        }
    }
    result = m_fmodSystem->Init(kChannelCount);
    if (result != Result::Ok)
    {
        return FailInitialization("Could not initialize fmod", result);
    }
    result = m_fmodSystem->CreateChannelGroup("AllSounds", channelGroup);
    if (result != Result::Ok)
    {
        return FailInitialization("Could not create channel group", result);
    }
    Resources::System::GetInstance().AddDelegate("Sound", [](const std::string& name)
                                                 { return std::make_unique<Sound>(name); });
    channelGroup->SetVolume(volume);
    return true;
}

void System::Update(const float& dt)
{
    if (m_fmodSystem)
    {
        m_fmodSystem->Update();
    }
    for (Component* component : components)
    {
        component->Update(dt);
    }
}

void System::Release()
{
    if (channelGroup != nullptr)
    {
        channelGroup->Release();
        channelGroup = nullptr;
    }
    const std::vector<Component*> released = std::move(components);
    components.clear();
    for (Component* component : released)
    {
        Game::DestroyComponent(component);
    }
    if (m_fmodSystem)
    {
        if (m_fmodSystem->Release() != Result::Ok)
        {
            Log::Error(kChannel, "Could not release fmod system successfuly");
        }
        m_fmodSystem.reset();
    }
}

Sound* System::FindPlayable(const std::string& name)
{
    Sound* sound = Resources::System::GetInstance().GetResource<Sound>(name);
    // A sound still loading in the background, or no output at all, cannot be heard yet.
    if (sound == nullptr || sound->GetBackendSound() == nullptr || !m_fmodSystem)
    {
        Log::Error(kChannel, Format("Could not play sound '%s'", name.c_str()));
        return nullptr;
    }
    return sound;
}

Backend::Channel System::StartOnce(const Sound& sound, Backend::Mode mode)
{
    Backend::Channel channel;
    const Result result = m_fmodSystem->PlaySound(*sound.GetBackendSound(), channelGroup, channel);
    if (result != Result::Ok)
    {
        Fail("Could not play sound", result);
        return channel;
    }
    channel.SetMode(mode);
    channel.SetLoopCount(0);
    return channel;
}

void System::PlaySound(const std::string& name)
{
    Sound* sound = FindPlayable(name);
    if (sound == nullptr)
    {
        return;
    }
    StartOnce(*sound, Backend::kModeLoopNormal);
}

void System::PlaySound3D(const std::string& name, const glm::vec3& position, float minDistance,
                         float maxDistance)
{
    Sound* sound = FindPlayable(name);
    if (sound == nullptr)
    {
        return;
    }
    if (!sound->Is3D())
    {
        Log::Warning(kChannel, Format("Trying to play a 3D sound that is not 3D [%s]", name.c_str()));
        PlaySound(name);
        return;
    }
    Backend::Channel channel = StartOnce(*sound, Backend::kModeLoopNormal | Backend::kMode3DLinearRolloff);
    if (channel.IsNull())
    {
        return;
    }
    Result result = channel.Set3DAttributes(position);
    if (result == Result::Ok)
    {
        result = channel.Set3DMinMaxDistance(minDistance, maxDistance);
    }
    if (result != Result::Ok)
    {
        // Heard from the wrong place is worse than not heard.
        channel.Stop();
        Fail("Could not place sound", result);
        return;
    }
    channel.SetVolume(1.0f);
}

void System::SetListener(const glm::vec3& position, const glm::vec3& forward, const glm::vec3& up)
{
    if (m_fmodSystem)
    {
        m_fmodSystem->Set3DListenerAttributes(0, position, forward, up);
    }
}

Component* System::CreateComponent(Game::Object* owner)
{
    auto* component = new Component(owner);
    components.push_back(component);
    return component;
}

void System::RemoveComponent(Component* component)
{
    const auto found = std::find(components.begin(), components.end(), component);
    if (found == components.end())
    {
        const Game::Object* owner = component != nullptr ? component->GetParentObject() : nullptr;
        Log::Error(kChannel, Format("Could not remove the audio component of object '%s'",
                                    owner != nullptr ? owner->GetName().c_str() : ""));
        return;
    }
    components.erase(found);
    Game::DestroyComponent(component);
}

void System::SetVolume(float masterVolume)
{
    volume = std::clamp(masterVolume, 0.0f, 1.0f);
    if (channelGroup != nullptr)
    {
        channelGroup->SetVolume(volume);
    }
}
} // namespace Morvane::Audio
