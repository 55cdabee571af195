#pragma once

#include "Component/Component.h"
#include "Sound/Backend/Channel.h"

#include <optional>
#include <string>

namespace Morvane::Game
{
class TransformComponent;
}

namespace Morvane::Audio
{
class Sound;

// Plays one sound for its object; a 3D sound is heard from the object's transform and follows it.
class Component : public Game::Component
{
public:
    static constexpr float kDefaultMinDistance = 100.0f;
    static constexpr float kDefaultMaxDistance = 110.0f;

    explicit Component(Game::Object* owner) : Game::Component(owner) {}
    ~Component() override;

    // Reads "sound", "playOnStart", "minDistance", "maxDistance" and "volume".
    bool Parse(const IParserData* data) override;
    // Audio settings live in the archetypes; nothing is written.
    bool Save(IParserData*) override { return true; }
    // Copies nothing; only checks that `destination` is an audio component.
    void Clone(Game::Component* destination) override;
    // Finds the transform; starts the sound, looped, when "playOnStart".
    bool Initialize() override;
    // Starts a play request that waited for its sound to load; moves a 3D channel to the transform.
    void Update(const float& dt);
    void Release();

    void SetSound(const std::string& name);
    // Stops and drops `sound` if it is this component's: the sound is being released.
    void ForgetSound(const Sound& sound);
    void Play(bool loop);
    void Stop() { Release(); }
    // True from Play until the sound ends or is stopped (also while it waits for its sound to load).
    bool IsPlaying() const;
    // Played position / sound length; 0 without a playback, without a sound, or for an empty sound.
    float GetProgress() const;

    Sound* GetSound() const { return m_sound; }
    bool GetPlayOnStart() const { return playOnStart; }
    float GetVolume() const { return volume; }
    float GetMinDistance() const { return minDistance; }
    float GetMaxDistance() const { return maxDistance; }
    // Also applied to the playing channel.
    void SetVolume(float channelVolume);
    // Also applied to a playing 3D channel, which stops (logged) on distances it refuses.
    void SetDistances(float minimum, float maximum);

private:
    std::string Channel() const;
    Game::TransformComponent* FindTransform();
    // Starts a waiting Play once its sound is ready, or drops it when it cannot play.
    void StartPending();
    void Start(bool loop);
    // Moves the channel to the transform with the distances; stops it (logged) where that fails.
    void Place();

    Sound* m_sound = nullptr;
    Backend::Channel m_channel;
    // Set while a Play waits for a sound that is still loading: whether it loops.
    std::optional<bool> m_pendingLoop;
    bool playOnStart = false;
    float volume = 1.0f;
    float minDistance = kDefaultMinDistance;
    float maxDistance = kDefaultMaxDistance;
    Game::TransformComponent* m_targetTransform = nullptr;
};
} // namespace Morvane::Audio
