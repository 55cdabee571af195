#include "Physics/MeshShapeSource.h"

namespace Morvane::Physics
{
// Meshes are not resources of this engine yet: every name is unknown.
MeshReadiness BuildFromMesh(const std::string&, ConvexPolyhedra&)
{
    return MeshReadiness::Missing;
}
} // namespace Morvane::Physics
