#pragma once

#include "Renderable/Mesh.h"

#include <memory>

namespace Morvane::Graphics
{
// The meshes the debug shapes are drawn with, built in code: a line from (0, 0, 0) to (1, 1, 1), a unit
// cube centred on the origin drawn as a line strip, and 1024 points on the unit sphere drawn as lines.
std::unique_ptr<Mesh> MakeDebugLineMesh();
std::unique_ptr<Mesh> MakeDebugBoxMesh();
std::unique_ptr<Mesh> MakeDebugSphereMesh();
} // namespace Morvane::Graphics
