#pragma once

#include "Renderable/MeshBuffer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
// Everything a mesh holds on the CPU side, and the checks that must pass before it can be drawn.
struct MeshContent
{
    // GL_TRIANGLES, without GL's header here.
    static constexpr unsigned kTriangles = 0x0004;
    // Locations every OpenGL 4.5 implementation offers (GL_MAX_VERTEX_ATTRIBS is at least this).
    static constexpr int kMaxVertexAttributes = 16;

    // Locations used once, and indices that stay inside every per-vertex buffer; logged on `channel`.
    bool CheckLayout(const std::string& channel) const;
    // The indices to draw: the given ones, or 0 .. n-1 over the vertices every per-vertex buffer holds.
    std::vector<std::uint32_t> IndicesToDraw() const;

    std::vector<MeshBuffer> buffers;
    std::vector<std::uint32_t> indices;
    unsigned drawMode = kTriangles;
};
} // namespace Morvane::Graphics
