#include "Behavior/ParticleSystem/ParticleBehavior.h"

#include "Component/Object.h"
#include "Graphics/ParticleGraphics/ParticleGraphics.h"
#include "Parsing/IParserData.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <cmath>

using namespace Morvane;

ParticleBehavior::ParticleBehavior(Game::Object* owner, const char* type, float fadeTime)
    : Component(owner), m_type(type), m_fadeTime(fadeTime), m_random(owner->GetName())
{
}

std::string ParticleBehavior::Channel() const
{
    return Format("%s/Behavior", GetOwnerName().c_str());
}

bool ParticleBehavior::Save(IParserData* data)
{
    IParserData* element = data->AddChild("Behavior");
    element->SetAttribute("type", m_type);
    SaveSettings(*element);
    return true;
}

bool ParticleBehavior::SetUpParticles(int count, float size)
{
    m_particles = GetParentObject()->GetComponent<ParticleGraphics>();
    if (m_particles == nullptr)
    {
        Log::Error(Channel(), "The object has no particle graphics; its particles stay still");
        Idle();
        return false;
    }
    m_particles->SetParticleCount(count);
    m_particles->SetParticlesScale(size);
    m_lives.assign(static_cast<std::size_t>(count), 0.0f);
    m_fullLives.assign(static_cast<std::size_t>(count), 0.0f);
    return true;
}

void ParticleBehavior::Update(const float& dt)
{
    if (!m_idle)
    {
        Step(dt);
    }
}

float ParticleBehavior::Fade(float life, float fullLife, float fadeTime)
{
    // A life over an endless distance (ends too far apart to measure) shows nothing.
    if (!std::isfinite(life) || !std::isfinite(fullLife))
    {
        return 0.0f;
    }
    if (!(fadeTime > 0.0f))
    {
        return life > 0.0f ? 1.0f : 0.0f;
    }
    if (life <= fadeTime)
    {
        return life > 0.0f ? life / fadeTime : 0.0f;
    }
    if (life >= fullLife - fadeTime)
    {
        return std::clamp((fullLife - life) / fadeTime, 0.0f, 1.0f);
    }
    return 1.0f;
}

void ParticleBehavior::Revive(int particle, float life, float fullLife)
{
    const std::size_t at = static_cast<std::size_t>(particle);
    m_lives[at] = life;
    m_fullLives[at] = fullLife;
}

float ParticleBehavior::FadedAlpha(int particle, float alpha) const
{
    const std::size_t at = static_cast<std::size_t>(particle);
    return alpha * Fade(m_lives[at], m_fullLives[at], m_fadeTime);
}

glm::vec3& ParticleBehavior::Position(int particle)
{
    return m_particles->Positions()[static_cast<std::size_t>(particle)];
}

glm::vec4& ParticleBehavior::Colour(int particle)
{
    return m_particles->Colours()[static_cast<std::size_t>(particle)];
}

void ParticleBehavior::SetScale(int particle, float scale)
{
    m_particles->Scales()[static_cast<std::size_t>(particle)] = glm::vec3(scale);
}
