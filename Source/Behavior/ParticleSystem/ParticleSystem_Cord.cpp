#include "Behavior/ParticleSystem/ParticleSystem_Cord.h"

#include "Component/TransformComponent.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <cmath>
#include <glm/geometric.hpp>

using namespace Morvane;

namespace
{
constexpr const char* kType = "BehaviorComponent_ParticleSystem_Cord";
const glm::vec4 kBlue(0.5f, 0.5f, 1.0f, 1.0f);
const glm::vec4 kRed(1.0f, 0.5f, 0.5f, 1.0f);
} // namespace

ParticleSystem_Cord::ParticleSystem_Cord(Game::Object* owner) : ParticleBehavior(owner, kType, kFadeTime) {}

glm::vec4 ParticleSystem_Cord::DrawColour(RandomStream& random)
{
    return random.Draw() % 8 == 0 ? kBlue : kRed;
}

bool ParticleSystem_Cord::Initialize()
{
    if (SetUpParticles(kCount, kSize))
    {
        Hide();
    }
    return true;
}

void ParticleSystem_Cord::Release()
{
    m_companion.Reset();
    m_player.Reset();
}

void ParticleSystem_Cord::SetEnds(Game::TransformComponent* companion, Game::TransformComponent* player)
{
    m_companion.Reset(companion);
    m_player.Reset(player);
    m_warned = false;
}

float ParticleSystem_Cord::RespawnSize() const
{
    return m_pulse <= kPulseTime ? kPulseSize - m_pulse : kRestSize;
}

void ParticleSystem_Cord::Hide()
{
    for (int particle = 0; particle < Count(); ++particle)
    {
        Colour(particle).a = 0.0f;
    }
}

void ParticleSystem_Cord::Respawn(int particle, const glm::vec3& from, const glm::vec3& to)
{
    Position(particle) = from;
    Revive(particle, glm::distance(from, to));
    Colour(particle) = DrawColour(Random());
    SetScale(particle, RespawnSize());
}

void ParticleSystem_Cord::Spread(const glm::vec3& from, const glm::vec3& to)
{
    // Already on their way when the cord appears, not one clump leaving the companion.
    const float length = glm::distance(from, to);
    for (int particle = 0; particle < Count(); ++particle)
    {
        Respawn(particle, from, to);
        const float share = Random().Unit();
        Position(particle) = from + (to - from) * share;
        Life(particle) = length - share * length / kSpeed;
    }
}

void ParticleSystem_Cord::Step(float dt)
{
    const Game::TransformComponent* companion = m_companion.Get();
    const Game::TransformComponent* player = m_player.Get();
    if (companion == nullptr || player == nullptr)
    {
        if (!m_warned)
        {
            Log::Warning(Channel(), m_companion.IsSet() && m_player.IsSet()
                                        ? "An end of the cord is gone; the cord stays idle"
                                        : "The cord has no ends; it stays idle");
            m_warned = true;
            Hide();
        }
        return;
    }
    const glm::vec3 from = companion->GetPosition();
    const glm::vec3 to = player->GetPosition() - glm::vec3(0.0f, kPlayerDrop, 0.0f);
    if (!m_active)
    {
        if (!(glm::distance(from, to) <= kReach))
        {
            return;
        }
        m_active = true;
        Spread(from, to);
    }
    m_pulse = std::fmod(m_pulse + dt, kPulsePeriod);
    const float step = kSpeed * dt;
    for (int particle = 0; particle < Count(); ++particle)
    {
        float& life = Life(particle);
        life -= dt;
        glm::vec3& position = Position(particle);
        const glm::vec3 toward = to - position;
        const float distance = glm::length(toward);
        // Reaching the player ends the trip: there is no way on from there.
        if (life <= 0.0f || !(distance > step))
        {
            Respawn(particle, from, to);
        }
        else
        {
            position += toward * (step / distance);
        }
        // Fading out over its last 0.1 s of travel too: a spark arriving never just vanishes.
        const float arrival = glm::distance(Position(particle), to) / (kSpeed * kFadeTime);
        Colour(particle).a = FadedAlpha(particle, std::min(arrival, 1.0f));
    }
}
