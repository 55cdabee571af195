#pragma once

namespace Morvane::Graphics
{
class Mesh;

// The largest distance from the origin of any position the mesh holds (the per-vertex attribute at
// location 0); 0 when it has none.
float BoundingRadius(const Mesh& mesh);
} // namespace Morvane::Graphics
