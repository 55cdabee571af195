#pragma once

#include "Component/ComponentHandle.h"
#include "Component/TransformComponent.h"
#include "Physics/PhysicsComponent.h"

#include <glm/vec3.hpp>

// A creature's body segment: pulled toward a point fixed in another transform's frame and turned
// toward that transform's rotation. The creature behaviors build segments in code and attach them.
class CreatureBodyPhysics : public Morvane::Physics::Component
{
public:
    explicit CreatureBodyPhysics(Morvane::Game::Object* owner) : Component(owner) {}

    // The base, then the segment follows its own transform (it stays where it is).
    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData*) override { return false; }
    // Follows the target's offset point and turns toward its rotation; a target whose object is gone
    // detaches the segment, which then stays where it is.
    void AddForces(const float& dt) override;
    void AdjustVelocity(const float& dt) override;

    // Follows `transform`, a transform of a live object (null: the own transform).
    void SetAttachedToTransform(Morvane::Game::TransformComponent* transform);
    Morvane::Game::TransformComponent* GetAttachedToTransform() const { return m_attachedToTransform; }
    // The attachment point in the followed transform's frame.
    void SetOffset(const glm::vec3& offset) { m_offset = offset; }
    const glm::vec3& GetOffset() const { return m_offset; }

private:
    // Whether the followed transform still belongs to the object it was attached from.
    bool TargetAlive() const;
    void TurnToward(const Morvane::Game::TransformComponent& followed, float dt);

    Morvane::Game::TransformComponent* m_attachedToTransform = nullptr;
    // Checked each step: the followed transform's object may be destroyed first.
    Morvane::Game::ComponentHandle<Morvane::Game::TransformComponent> m_attached;
    glm::vec3 m_offset{0.0f};
    float m_stiffness = 300.0f;
    float m_damping = 10.5f;
};
