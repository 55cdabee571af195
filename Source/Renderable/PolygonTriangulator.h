#pragma once

#include <array>
#include <cstddef>
#include <glm/vec3.hpp>
#include <vector>

namespace Morvane::Graphics
{
// Splits a simple polygon (its corners in order, in 3D, roughly planar) into triangles of corner
// indices, by ear clipping in the plane that faces the polygon's normal most, so that concave
// polygons keep their shape. Degenerate leftovers are fanned.
std::vector<std::array<std::size_t, 3>> TriangulatePolygon(const std::vector<glm::vec3>& corners);

// The polygon's normal by Newell's method, normalised; zero for a degenerate polygon.
glm::vec3 PolygonNormal(const std::vector<glm::vec3>& corners);
} // namespace Morvane::Graphics
