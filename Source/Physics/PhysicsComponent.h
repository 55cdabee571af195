#pragma once

#include "Component/Component.h"
#include "Shape/Contact.h"
#include "SpacePartitioning/AABB.h"

#include <cstdint>
#include <glm/vec3.hpp>
#include <memory>
#include <vector>

namespace Morvane::Game
{
class TransformComponent;
}

namespace Morvane::Physics
{
class Shape;

enum class Category : std::int32_t
{
    None = 0,
    Kinematic = 1,
    Dynamic = 2,
    Static = 3
};

// A body: moves its object's transform by its velocity and records the contacts of each step.
// Game-side kinds (gravity, springs, characters) derive from it and fill the three hooks.
class Component : public Game::Component
{
public:
    using BoundingVolume = SpacePartitioning::AABB<Component>;

    explicit Component(Game::Object* owner);
    ~Component() override;

    // Reads the body's attributes, the shape and the transform before it (required), then registers
    // the body by category. Out-of-range numbers fail.
    bool Parse(const IParserData* data) override;
    // Adds a "Physics" child with what Parse read (the initial velocity, not the current one).
    bool Save(IParserData* data) override;
    // Only checks the destination's kind.
    void Clone(Game::Component* destination) override;
    bool Initialize() override { return true; }

    virtual void AddForces(const float&) {}
    // Semi-implicit Euler: forces, then velocity, then position.
    virtual void Integrate(const float& dt);
    virtual void AdjustVelocity(const float&) {}
    // Brings the shape and the broad-phase box up to date from the transform; builds a convex shape
    // once its mesh is ready.
    virtual void UpdateBounds();
    virtual void DestroyShape();
    // Narrow phase against `other`; records a contact on both bodies.
    virtual void Collide(Component* other);
    virtual void ResolveContacts();
    // Called just before the system destroys the component.
    virtual void Release() {}

    bool CanCollideWith(const Component* other) const;
    bool HasCollisionId(std::int32_t id) const;

    // The contacts of the last step whose other body pointed to `deleted`: that body is gone.
    void ForgetContactsWith(const Component* deleted);
    void ClearContacts() { m_contacts.clear(); }

    const glm::vec3& GetForce() const { return m_force; }
    void AddForce(const glm::vec3& force) { m_force += force; }
    const glm::vec3& GetVelocity() const { return m_velocity; }
    void SetVelocity(const glm::vec3& velocity) { m_velocity = velocity; }
    Game::TransformComponent* GetTargetTransform() const { return m_targetTransform; }
    Shape* GetShape() const { return m_shape.get(); }
    const std::vector<Contact>& GetContacts() const { return m_contacts; }
    bool GetResolveContacts() const { return m_resolveContacts; }
    bool IsCollidable() const { return m_collidable; }
    // A body that collides with nothing keeps its place and shape: an opened gate, a spent trigger.
    void SetCollidable(bool collidable) { m_collidable = collidable; }
    const std::vector<std::int32_t>& GetCollisionIds() const { return m_collisionIds; }
    const std::vector<std::int32_t>& GetCollideWithIds() const { return m_collideWithIds; }
    float GetMass() const { return m_mass; }
    float GetInverseMass() const { return m_inverseMass; }
    float GetRestitution() const { return m_restitution; }
    Category GetCategory() const { return m_category; }
    BoundingVolume& GetBoundingVolume() { return m_boundingVolume; }
    const BoundingVolume& GetBoundingVolume() const { return m_boundingVolume; }
    bool IsRegistered() const { return m_registered; }
    void SetRegistered(bool registered) { m_registered = registered; }

protected:
    std::string Channel() const;
    // Logs "Attribute '<name>' is out of range" and returns false.
    bool OutOfRange(const char* attribute) const;
    // Records a shape test's result (raw normal in `contact.correction`, signed depth) on both bodies:
    // each gets the normal oriented toward the other and scaled by its mass share.
    void RecordContact(Component* other, const Contact& contact);
    // `stiffness`, lowered where one explicit step of `dt` could not carry it for this body's mass: past
    // (k / m) dt² = 4 a spring overshoots further every step, so a light body in a long frame flies off
    // to infinity. The cap, (k / m) dt² = 1, at most closes the gap in one step.
    float StableStiffness(float stiffness, float dt) const;

    glm::vec3 m_force{0.0f};
    glm::vec3 m_velocity{0.0f};
    Game::TransformComponent* m_targetTransform = nullptr;
    std::unique_ptr<Shape> m_shape;
    bool m_resolveContacts = true;
    bool m_collidable = true;
    std::vector<std::int32_t> m_collisionIds{0};
    std::vector<std::int32_t> m_collideWithIds{0};
    std::vector<Contact> m_contacts;
    float m_inverseMass = 0.0f;
    float m_mass = 0.0f;
    Category m_category = Category::None;
    BoundingVolume m_boundingVolume;
    float m_restitution = 0.5f;

private:
    bool ParseShape(const IParserData* data);

    // What Parse read, for Save.
    glm::vec3 m_initialVelocity{0.0f};
    // A convex shape whose mesh was not initialised yet when last looked at.
    bool m_shapePending = false;
    bool m_registered = false;
};
} // namespace Morvane::Physics
