#pragma once

#include "Physics/PhysicsComponent.h"

#include <glm/mat3x3.hpp>
#include <glm/vec3.hpp>

// A tumbling box: linear and angular momentum, the inertia of a unit cube, and impulses at the contact
// points of other rigid bodies (contacts with other kinds of body are left to them). The angular
// velocity is kept in degrees per second.
class RigidBody : public Morvane::Physics::Component
{
public:
    explicit RigidBody(Morvane::Game::Object* owner) : Component(owner) {}

    // The base, then the inertia; the initial velocity becomes the linear momentum.
    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData*) override { return false; }
    // Light bodies (under mass 50) feel a weak gravity.
    void AddForces(const float& dt) override;
    // Momenta, then velocities, position and orientation.
    void Integrate(const float& dt) override;
    // Positional correction against every rigid partner, and an impulse while the contact points
    // approach each other.
    void ResolveContacts() override;

    const glm::vec3& GetLinearMomentum() const { return m_linearMomentum; }
    const glm::vec3& GetAngularMomentum() const { return m_angularMomentum; }
    // Degrees per second.
    const glm::vec3& GetAngularVelocity() const { return m_angularVelocity; }
    const glm::mat3& GetInertia() const { return m_inertia; }
    // The inverse inertia turned into world space by the current rotation.
    glm::mat3 GetWorldInverseInertia() const;
    void AddTorque(const glm::vec3& torque) { m_torque += torque; }

private:
    void Turn(const float& dt);

    glm::vec3 m_angularMomentum{0.0f};
    glm::vec3 m_linearMomentum{0.0f};
    glm::vec3 m_angularVelocity{0.0f};
    glm::mat3 m_inverseInertia{0.0f};
    glm::mat3 m_inertia{0.0f};
    glm::vec3 m_torque{0.0f};
};
