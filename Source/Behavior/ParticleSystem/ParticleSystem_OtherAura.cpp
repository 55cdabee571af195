#include "Behavior/ParticleSystem/ParticleSystem_OtherAura.h"

#include "Behavior/ParticleSystem/ParticleSystem_Cord.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "System/Assert/Assertion.h"

using namespace Morvane;

ParticleSystem_OtherAura::ParticleSystem_OtherAura(Game::Object* owner)
    : ParticleBehavior(owner, "BehaviorComponent_ParticleSystem_OtherAura", kFadeTime)
{
}

bool ParticleSystem_OtherAura::Initialize()
{
    m_transform = GetParentObject()->GetComponent<Game::TransformComponent>();
    MORVANE_ASSERT_NAMED(m_transform != nullptr, "myTransform", __LINE__);
    if (m_transform != nullptr && SetUpParticles(kCount, kSize))
    {
        for (int particle = 0; particle < Count(); ++particle)
        {
            Respawn(particle);
        }
    }
    return m_transform != nullptr;
}

void ParticleSystem_OtherAura::Release()
{
    m_companion.Reset();
}

void ParticleSystem_OtherAura::SetCompanion(Game::TransformComponent* companion)
{
    m_companion.Reset(companion);
}

void ParticleSystem_OtherAura::Respawn(int particle)
{
    Revive(particle, Uniform(0.0f, kLongestLife));
    Colour(particle) = ParticleSystem_Cord::DrawColour(Random());
    SetScale(particle, 1.0f);
}

void ParticleSystem_OtherAura::Step(float dt)
{
    const Game::TransformComponent* companion = m_companion.Get();
    const glm::vec3 centre = (companion != nullptr ? companion : m_transform)->GetPosition();
    for (int particle = 0; particle < Count(); ++particle)
    {
        float& life = Life(particle);
        life -= dt;
        if (life <= 0.0f)
        {
            Respawn(particle);
        }
        Position(particle) = centre;
        Colour(particle).a = FadedAlpha(particle, 1.0f);
    }
}
