#pragma once

#include "Physics/PhysicsComponent.h"

#include <glm/vec3.hpp>

// A body pulled back to where it stood when its object was initialised, with damping.
class SpringPhysics : public Morvane::Physics::Component
{
public:
    explicit SpringPhysics(Morvane::Game::Object* owner) : Component(owner) {}

    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData*) override { return false; }
    // Takes the anchor: the level loader places objects between parsing and initialising them.
    bool Initialize() override;
    // Pulls toward the anchor once it is taken, except within a small dead zone.
    void AddForces(const float& dt) override;
    void AdjustVelocity(const float& dt) override;

    const glm::vec3& GetAnchor() const { return m_anchor; }
    bool HasAnchor() const { return m_anchored; }

private:
    glm::vec3 m_anchor{0.0f};
    float m_stiffness = 100.0f;
    float m_damping = 1.5f;
    bool m_anchored = false;
};
