#pragma once

#include "Physics/PhysicsComponent.h"

#include <glm/vec3.hpp>

// The player character's body: gravity, speed limits and damping, and a sweep of its centre's path
// against every box it meets, so a fast fall cannot pass through a floor thinner than one step.
class CharacterPhysics : public Morvane::Physics::Component
{
public:
    explicit CharacterPhysics(Morvane::Game::Object* owner) : Component(owner) {}

    bool Parse(const Morvane::IParserData* data) override;
    // The character is rebuilt from its archetype, never saved.
    bool Save(Morvane::IParserData*) override { return false; }
    // Gravity × mass; remembers where the step starts.
    void AddForces(const float& dt) override;
    // Per-axis speed limits, then damping of the velocity relative to what carries the body.
    void AdjustVelocity(const float& dt) override;
    // The broad-phase box also covers the step's start, so the grid offers every box on the path.
    void UpdateBounds() override;
    // The base test, then the sweep of this step's path against a box partner.
    void Collide(Morvane::Physics::Component* other) override;

    const glm::vec3& GetGravity() const { return m_gravity; }
    // Gravity rooms and the controller point it elsewhere.
    void SetGravity(const glm::vec3& gravity) { m_gravity = gravity; }
    const glm::vec3& GetPreviousPosition() const { return m_previousPosition; }
    // A moving platform's velocity while the body rides it, else zero: riding is not slowed down.
    void SetCarrierVelocity(const glm::vec3& velocity) { m_carrierVelocity = velocity; }

private:
    void Sweep(Morvane::Physics::Component* other);

    glm::vec3 m_previousPosition{0.0f};
    glm::vec3 m_gravity{0.0f, -9.8f, 0.0f};
    glm::vec3 m_carrierVelocity{0.0f};
    float m_maxVerticalSpeed = 150.0f;
    float m_maxHorizontalSpeed = 50.0f;
    float m_damping = 1.5f;
    // The previous position is only known once a step has started.
    bool m_stepStarted = false;
};
