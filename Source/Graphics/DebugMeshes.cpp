#include "Graphics/DebugMeshes.h"

#include "Graphics/OpenGL.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace Morvane::Graphics
{
namespace
{
std::unique_ptr<Mesh> MakeMesh(const char* name, std::vector<float> points, GLenum drawMode)
{
    auto mesh = std::make_unique<Mesh>(name);
    MeshAttribute position;
    position.location = 0;
    position.elementSize = 3;
    position.normalise = false;
    mesh->AddBuffer(MeshBuffer(std::move(points), {position}));
    mesh->SetDrawMode(drawMode);
    return mesh;
}
} // namespace

std::unique_ptr<Mesh> MakeDebugLineMesh()
{
    return MakeMesh("DEBUG_LINE_MESH", {0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f}, GL_LINES);
}

std::unique_ptr<Mesh> MakeDebugBoxMesh()
{
    // Two triangles per face, six faces.
    static const float kCorners[8][3] = {{-0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, -0.5f},
                                         {-0.5f, 0.5f, -0.5f},  {-0.5f, -0.5f, 0.5f}, {0.5f, -0.5f, 0.5f},
                                         {0.5f, 0.5f, 0.5f},    {-0.5f, 0.5f, 0.5f}};
    static const int kTriangles[12][3] = {{0, 2, 1}, {0, 3, 2}, {4, 5, 6}, {4, 6, 7}, {0, 1, 5}, {0, 5, 4},
                                          {3, 6, 2}, {3, 7, 6}, {0, 4, 7}, {0, 7, 3}, {1, 2, 6}, {1, 6, 5}};
    std::vector<float> points;
    points.reserve(108);
    for (const auto& triangle : kTriangles)
    {
        for (const int corner : triangle)
        {
            points.insert(points.end(), kCorners[corner], kCorners[corner] + 3);
        }
    }
    return MakeMesh("DEBUG_QUAD_MESH", std::move(points), GL_LINE_STRIP);
}

std::unique_ptr<Mesh> MakeDebugSphereMesh()
{
    std::vector<float> points;
    points.reserve(32 * 32 * 3);
    for (int i = 0; i < 32; ++i)
    {
        const float a = static_cast<float>(i) * std::numbers::pi_v<float> / 16.0f;
        for (int j = 0; j < 32; ++j)
        {
            const float b = static_cast<float>(j) * std::numbers::pi_v<float> / 32.0f;
            points.insert(points.end(), {std::cos(a) * std::sin(b), std::cos(b), std::sin(a) * std::sin(b)});
        }
    }
    return MakeMesh("DEBUG_Sphere_MESH", std::move(points), GL_LINES);
}
} // namespace Morvane::Graphics
