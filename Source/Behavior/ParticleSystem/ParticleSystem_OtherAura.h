#pragma once

#include "Behavior/ParticleSystem/ParticleBehavior.h"
#include "Component/ComponentHandle.h"

namespace Morvane::Game
{
class TransformComponent;
}

// The glow around the companion: ten big soft sparks on it, red and now and then blue, each living up
// to 2 s and fading in and out quickly, so the glow flickers gently.
class ParticleSystem_OtherAura : public ParticleBehavior
{
public:
    static constexpr int kCount = 10;
    static constexpr float kSize = 1.0f;
    static constexpr float kFadeTime = 0.1f;
    static constexpr float kLongestLife = 2.0f;

    explicit ParticleSystem_OtherAura(Morvane::Game::Object* owner);

    bool Initialize() override;
    void Release() override;

    // Where the sparks sit; without one (or once it is gone) they sit at the aura's own place.
    void SetCompanion(Morvane::Game::TransformComponent* companion);

private:
    void Step(float dt) override;
    void Respawn(int particle);

    Morvane::Game::ComponentHandle<Morvane::Game::TransformComponent> m_companion;
    Morvane::Game::TransformComponent* m_transform = nullptr;
};
