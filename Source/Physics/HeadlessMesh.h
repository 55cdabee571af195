#pragma once

#include "Renderable/Mesh.h"

namespace Morvane::Physics
{
// A "Mesh" resource that keeps its CPU data and never uploads: collision shapes can be built from
// meshes where there is no renderer (the physics tool, tests).
class HeadlessMesh : public Graphics::Mesh
{
public:
    using Graphics::Mesh::Mesh;

    // Checks the layout as the renderer would; no GL call.
    bool Initialize() override;

    // From now on "Mesh" definitions load as headless meshes, in place of the renderer's kind.
    static void Register();
};
} // namespace Morvane::Physics
