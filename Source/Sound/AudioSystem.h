#pragma once

#include "Sound/Backend/Output.h"
#include "SystemManager/ISystem.h"

#include <glm/vec3.hpp>
#include <memory>
#include <string>
#include <vector>

namespace Morvane::Game
{
class Object;
}

namespace Morvane::Audio
{
class Component;
class Sound;

// Owns the sound output, the channel group "AllSounds" that every sound plays through (its volume is
// the master volume) and the audio components; makes "Sound" resources. With no audio device the
// game runs silently on the no-sound output.
class System : public ISystem
{
public:
    static constexpr int kChannelCount = 100;
    static constexpr unsigned kMinimumVersion = 0x00010212;

    static System& GetInstance();

    bool Initialize() override;
    void Update(const float& dt) override;
    void Release() override;
    bool Parse(IParserData*) override { return true; }

    // Fire-and-forget 2D playback of the named sound resource.
    void PlaySound(const std::string& name);
    // Fire-and-forget playback at `position`; a sound that is not 3D is played in 2D with a warning.
    void PlaySound3D(const std::string& name, const glm::vec3& position, float minDistance,
                     float maxDistance);
    void SetListener(const glm::vec3& position, const glm::vec3& forward, const glm::vec3& up);

    // A new component of `owner` with default settings, registered here; the object parses it.
    Component* CreateComponent(Game::Object* owner);
    // Unregisters and destroys `component`.
    void RemoveComponent(Component* component);
    const std::vector<Component*>& GetComponents() const { return components; }

    // Null before Initialize and after Release.
    Backend::Output* GetBackend() const { return m_fmodSystem.get(); }
    // The master group; null when the output is down.
    Backend::ChannelGroup* GetChannelGroup() const { return channelGroup; }
    float GetVolume() const { return volume; }
    // Sets the master volume now, or from initialisation on.
    void SetVolume(float masterVolume);

private:
    System();
    ~System() override;
    // Logs "<what>: '<error text>'" and returns false.
    bool Fail(const char* what, Backend::Result result);
    bool FailInitialization(const char* what, Backend::Result result);
    // The named resource, ready to play; null (logged) otherwise.
    Sound* FindPlayable(const std::string& name);
    // One pass of `sound` in the master group with `mode`; a null channel (logged) when it did not start.
    Backend::Channel StartOnce(const Sound& sound, Backend::Mode mode);

    std::vector<Component*> components;
    std::unique_ptr<Backend::Output> m_fmodSystem;
    Backend::ChannelGroup* channelGroup = nullptr;
    float volume = 1.0f;
};
} // namespace Morvane::Audio
