#pragma once

#include "Behavior/ParticleSystem/ParticleBehavior.h"
#include "Component/ComponentHandle.h"

namespace Morvane::Game
{
class TransformComponent;
}

// The cord between the companion and the player: once the player has come within 10 units of the
// companion, red and blue sparks stream from it to him at 2 units per second, and every second a
// pulse of bigger ones follows them. It stays on for the rest of the level.
class ParticleSystem_Cord : public ParticleBehavior
{
public:
    static constexpr int kCount = 500;
    static constexpr float kSize = 1.0f;
    static constexpr float kFadeTime = 0.1f;
    static constexpr float kSpeed = 2.0f;
    static constexpr float kReach = 10.0f;
    // The player's end is this far below his transform (his eyes).
    static constexpr float kPlayerDrop = 1.0f;
    static constexpr float kPulsePeriod = 1.0f;
    static constexpr float kPulseTime = 0.2f;
    static constexpr float kPulseSize = 0.3f;
    static constexpr float kRestSize = 0.1f;

    explicit ParticleSystem_Cord(Morvane::Game::Object* owner);

    bool Initialize() override;
    void Release() override;

    // The two ends: the companion's transform and the player's.
    void SetEnds(Morvane::Game::TransformComponent* companion, Morvane::Game::TransformComponent* player);
    bool IsActive() const { return m_active; }
    // The size a particle respawned now gets: bigger during the pulse's first 0.2 s.
    float RespawnSize() const;

    // A spark's colour: blue one time in eight, else red. The companion's aura draws alike.
    static glm::vec4 DrawColour(RandomStream& random);

private:
    void Step(float dt) override;
    void Respawn(int particle, const glm::vec3& from, const glm::vec3& to);
    void Spread(const glm::vec3& from, const glm::vec3& to);
    void Hide();

    Morvane::Game::ComponentHandle<Morvane::Game::TransformComponent> m_companion;
    Morvane::Game::ComponentHandle<Morvane::Game::TransformComponent> m_player;
    bool m_active = false;
    bool m_warned = false;
    float m_pulse = 0.0f;
};
