#include "Behavior/ParticleSystem/ParticleSystem_ButtonToDoor.h"

#include "Behavior/Button/Button.h"
#include "Component/GameSystem.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <cmath>
#include <glm/geometric.hpp>
#include <limits>

using namespace Morvane;

namespace
{
constexpr const char* kType = "BehaviorComponent_ParticleSystem_ButtonToDoor";
const glm::vec4 kWhite(1.0f);

bool IsFinite(const glm::vec3& point)
{
    return std::isfinite(point.x) && std::isfinite(point.y) && std::isfinite(point.z);
}

float DistanceToSegment(const glm::vec3& point, const glm::vec3& from, const glm::vec3& to)
{
    const glm::vec3 line = to - from;
    const float lengthSquared = glm::dot(line, line);
    const float t =
        lengthSquared > 0.0f ? std::clamp(glm::dot(point - from, line) / lengthSquared, 0.0f, 1.0f) : 0.0f;
    return glm::distance(point, from + line * t);
}
} // namespace

ParticleSystem_ButtonToDoor::ParticleSystem_ButtonToDoor(Game::Object* owner)
    : ParticleBehavior(owner, kType, kFadeTime)
{
}

std::vector<glm::vec3> ParticleSystem_ButtonToDoor::PathBetween(const glm::vec3& button,
                                                                const glm::vec3& door)
{
    return {button, {door.x, button.y, button.z}, {door.x, button.y, door.z}, door};
}

bool ParticleSystem_ButtonToDoor::Initialize()
{
    if (SetUpParticles(kCount, kSize))
    {
        Spread();
    }
    return true;
}

void ParticleSystem_ButtonToDoor::Release()
{
    m_button.Reset();
}

void ParticleSystem_ButtonToDoor::SetButton(Button* button)
{
    m_button.Reset(button);
}

void ParticleSystem_ButtonToDoor::SetPath(const std::vector<glm::vec3>& waypoints)
{
    m_path.clear();
    for (const glm::vec3& point : waypoints)
    {
        if (IsFinite(point) && (m_path.empty() || glm::distance(point, m_path.back()) > kSamePoint))
        {
            m_path.push_back(point);
        }
    }
    m_length = 0.0f;
    for (std::size_t at = 1; at < m_path.size(); ++at)
    {
        m_length += glm::distance(m_path[at - 1], m_path[at]);
    }
    if (!(m_length >= kCapture) || !std::isfinite(m_length))
    {
        Log::Warning(Channel(),
                     "The path from the button to its door is too short (or too long to measure); it "
                     "shows no sparks");
        m_path.clear();
        m_length = 0.0f;
    }
    if (!IsIdle())
    {
        Spread();
    }
}

void ParticleSystem_ButtonToDoor::Spread()
{
    m_next.assign(static_cast<std::size_t>(Count()), 1);
    for (int particle = 0; particle < Count(); ++particle)
    {
        Revive(particle, Uniform(0.0f, kFullLife), kFullLife);
        Colour(particle) = glm::vec4(glm::vec3(kWhite), 0.0f);
        SetScale(particle, 1.0f);
        if (m_path.empty())
        {
            continue;
        }
        // Spread by arc length, so that a long leg carries as many sparks per unit as a short one.
        float along = Uniform(0.0f, m_length);
        std::size_t segment = 1;
        while (segment + 1 < m_path.size() && along > glm::distance(m_path[segment - 1], m_path[segment]))
        {
            along -= glm::distance(m_path[segment - 1], m_path[segment]);
            ++segment;
        }
        const glm::vec3 from = m_path[segment - 1];
        const glm::vec3 line = m_path[segment] - from;
        Position(particle) = from + line * std::min(along / glm::length(line), 1.0f);
        m_next[static_cast<std::size_t>(particle)] = static_cast<int>(segment);
    }
}

void ParticleSystem_ButtonToDoor::Press()
{
    if (m_pressed)
    {
        return;
    }
    m_pressed = true;
    for (int particle = 0; particle < Count(); ++particle)
    {
        Life(particle) = std::min(Life(particle), kFadeTime);
    }
}

float ParticleSystem_ButtonToDoor::DistanceToPath(const glm::vec3& point) const
{
    if (m_path.size() == 1)
    {
        return glm::distance(point, m_path.front());
    }
    float nearest = std::numeric_limits<float>::infinity();
    for (std::size_t at = 1; at < m_path.size(); ++at)
    {
        nearest = std::min(nearest, DistanceToSegment(point, m_path[at - 1], m_path[at]));
    }
    return nearest;
}

void ParticleSystem_ButtonToDoor::Advance(int particle, float dt)
{
    int& next = m_next[static_cast<std::size_t>(particle)];
    glm::vec3& position = Position(particle);
    const glm::vec3 toward = m_path[static_cast<std::size_t>(next)] - position;
    const float distance = glm::length(toward);
    // Never past the waypoint, whatever the frame's length.
    if (distance > 0.0f)
    {
        position += toward * (std::min(kSpeed * dt, distance) / distance);
    }
    const int waypoints = static_cast<int>(m_path.size());
    for (int hop = 0;
         hop < waypoints && glm::distance(position, m_path[static_cast<std::size_t>(next)]) <= kCapture;
         ++hop)
    {
        if (++next == waypoints)
        {
            position = m_path.front();
            next = 1;
        }
    }
}

void ParticleSystem_ButtonToDoor::Step(float dt)
{
    if (m_gone)
    {
        return;
    }
    const Button* button = m_button.Get();
    if (m_button.IsSet() && (button == nullptr || button->IsPressed()))
    {
        Press();
    }
    bool anyLeft = false;
    for (int particle = 0; particle < Count(); ++particle)
    {
        float& life = Life(particle);
        life -= dt;
        if (life <= 0.0f && !m_pressed)
        {
            Revive(particle, Uniform(0.0f, kFullLife), kFullLife);
            if (!m_path.empty())
            {
                Position(particle) = m_path.front();
                m_next[static_cast<std::size_t>(particle)] = 1;
            }
        }
        anyLeft = anyLeft || life > 0.0f;
        if (!m_path.empty())
        {
            Advance(particle, dt);
        }
        Colour(particle).a = m_path.empty() ? 0.0f : FadedAlpha(particle, kWhite.a);
    }
    if (m_pressed && !anyLeft)
    {
        m_gone = true;
        Game::System::GetInstance().MarkForDeletion(GetParentObject());
    }
}
