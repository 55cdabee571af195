#pragma once

#include <string>

namespace Morvane::Physics
{
class ConvexPolyhedra;

enum class MeshReadiness
{
    // No such mesh: the shape stays empty.
    Missing,
    // The mesh exists but is not initialised yet (it may be on the load thread): ask again later.
    Loading,
    // The shape was built from the mesh's data.
    Built
};

// Builds `shape` from the mesh resource `meshName` once that mesh is initialised, so the shape never
// reads data the load thread is still writing.
MeshReadiness BuildFromMesh(const std::string& meshName, ConvexPolyhedra& shape);
} // namespace Morvane::Physics
