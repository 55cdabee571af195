#pragma once

#include "SpacePartitioning/IBoundingVolume.h"

#include <utility>
#include <vector>

namespace Morvane::SpacePartitioning
{
// A broad-phase container of volumes it does not own. Results come in the volumes' order keys.
template <class T> class IBoundingVolumeContainer
{
public:
    using Volume = IBoundingVolume<T>;
    using VolumePair = std::pair<Volume*, Volume*>;

    virtual ~IBoundingVolumeContainer() = default;

    virtual bool Initialize() = 0;
    // Every volume that may touch `volume`, each once, by order key.
    virtual std::vector<Volume*> Query(const Volume* volume) = 0;
    // Every pair of volumes that share a place, each once, by order keys.
    virtual std::vector<VolumePair> GetPotentialPairs() const = 0;
    // `volume` has moved since it looked like `previous`.
    virtual void Update(Volume* volume, const Volume& previous) = 0;
    virtual void Insert(Volume* volume) = 0;
    virtual void Remove(Volume* volume) = 0;
    virtual void Clear() = 0;
};
} // namespace Morvane::SpacePartitioning
