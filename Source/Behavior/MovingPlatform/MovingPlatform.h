#pragma once

#include "Behavior/BehaviorComponent.h"

#include <glm/vec3.hpp>

namespace Morvane::Game
{
class TransformComponent;
}
namespace Morvane::Physics
{
class Component;
}

// A kinematic platform shuttling between A and B through their midpoint, slowing toward the ends;
// the player standing on it (collision id 5) takes its velocity.
class MovingPlatform : public Morvane::Behavior::Component
{
public:
    static constexpr float kMinimumSpeedFactor = 0.1f;

    explicit MovingPlatform(Morvane::Game::Object* owner) : Component(owner) {}

    // "movementSpeed", "A", "B".
    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData* data) override;
    void Clone(Morvane::Game::Component* destination) override;
    // Starts at the midpoint, heading for A.
    bool Initialize() override;
    void Update(const float& dt) override;

    void SetPath(const glm::vec3& a, const glm::vec3& b, float speed);
    const glm::vec3& GetA() const { return m_a; }
    const glm::vec3& GetB() const { return m_b; }
    float GetMovementSpeed() const { return m_movementSpeed; }

private:
    float m_movementSpeed = 0.0f;
    glm::vec3 m_direction{0.0f};
    float m_sign = 1.0f;
    float m_halfDistanceSquared = 0.0f;
    glm::vec3 m_midpoint{0.0f};
    glm::vec3 m_a{0.0f};
    glm::vec3 m_b{0.0f};
    Morvane::Game::TransformComponent* m_transform = nullptr;
    Morvane::Physics::Component* m_body = nullptr;
};
