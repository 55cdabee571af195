#pragma once

#include <cstdint>

namespace Morvane::Game
{
class TransformComponent;
}

namespace Morvane::SpacePartitioning
{
// A volume standing for its owner in a container. The owner gives each volume an order key (its
// registration number): containers return volumes in key order, so results never depend on addresses.
template <class T> class IBoundingVolume
{
public:
    virtual ~IBoundingVolume() = default;

    virtual bool Intersects(const IBoundingVolume<T>* other) const = 0;
    // Re-centres the volume on a transform.
    virtual void Update(Game::TransformComponent* transformComponent) = 0;
    virtual T* GetOwner() = 0;
    virtual T* GetOwner() const = 0;

    std::uint64_t GetOrderKey() const { return m_orderKey; }
    void SetOrderKey(std::uint64_t key) { m_orderKey = key; }

private:
    std::uint64_t m_orderKey = 0;
};
} // namespace Morvane::SpacePartitioning
