#pragma once

#include "Component/TransformComponent.h"
#include "SpacePartitioning/IBoundingVolume.h"
#include "System/Assert/Assertion.h"

#include <glm/common.hpp>
#include <glm/vec3.hpp>

namespace Morvane::SpacePartitioning
{
// An axis-aligned box that knows its owner. Touching boxes intersect.
template <class T> class AABB : public IBoundingVolume<T>
{
public:
    explicit AABB(T* owner) : m_owner(owner) {}

    bool Intersects(const IBoundingVolume<T>* other) const override
    {
        const auto* otherAABB = dynamic_cast<const AABB<T>*>(other);
        MORVANE_ASSERT_NAMED(otherAABB != nullptr, "otherAABB", __LINE__);
        for (int axis = 0; axis < 3; ++axis)
        {
            if (otherAABB->m_min[axis] > m_max[axis] || m_min[axis] > otherAABB->m_max[axis])
            {
                return false;
            }
        }
        return true;
    }

    // Centred on the transform's position, half the size of its scale (a mirrored scale by its absolute
    // value); rotation is ignored.
    void Update(Game::TransformComponent* transformComponent) override
    {
        MORVANE_ASSERT_NAMED(transformComponent != nullptr, "transformComponent", __LINE__);
        const glm::vec3 halfSize = glm::abs(transformComponent->GetScale()) * 0.5f;
        m_min = transformComponent->GetPosition() - halfSize;
        m_max = transformComponent->GetPosition() + halfSize;
    }

    // Grows the box to take in another box as well.
    void Enclose(const glm::vec3& min, const glm::vec3& max)
    {
        m_min = glm::min(m_min, min);
        m_max = glm::max(m_max, max);
    }
    void Set(const glm::vec3& min, const glm::vec3& max)
    {
        m_min = min;
        m_max = max;
    }

    T* GetOwner() override { return m_owner; }
    T* GetOwner() const override { return m_owner; }
    const glm::vec3& GetMin() const { return m_min; }
    const glm::vec3& GetMax() const { return m_max; }

private:
    T* m_owner;
    glm::vec3 m_min{0.0f};
    glm::vec3 m_max{0.0f};
};
} // namespace Morvane::SpacePartitioning
