#pragma once

#include "Shape/ConvexPolyhedra.h"

#include <cstdint>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>
#include <vector>

namespace Morvane::Testing
{
// Triangle meshes as a float buffer of corner positions and an index list.
struct TestMesh
{
    std::vector<float> positions;
    std::vector<std::uint32_t> indices;
};

// The unit-half-size cube: 8 corners, 12 triangles.
inline TestMesh CubeMesh()
{
    TestMesh mesh;
    for (int corner = 0; corner < 8; ++corner)
    {
        mesh.positions.push_back(corner & 1 ? 1.0f : -1.0f);
        mesh.positions.push_back(corner & 2 ? 1.0f : -1.0f);
        mesh.positions.push_back(corner & 4 ? 1.0f : -1.0f);
    }
    mesh.indices = {0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4,
                    2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2, 1, 3, 7, 1, 7, 5};
    return mesh;
}

inline TestMesh TetrahedronMesh()
{
    return {{1.0f, 1.0f, 1.0f, -1.0f, -1.0f, 1.0f, -1.0f, 1.0f, -1.0f, 1.0f, -1.0f, -1.0f},
            {0, 1, 2, 0, 3, 1, 0, 2, 3, 1, 3, 2}};
}

// A triangular prism along z.
inline TestMesh PrismMesh()
{
    return {{-1.0f, -1.0f, -1.0f, 1.0f, -1.0f, -1.0f, 0.0f, 1.0f, -1.0f, -1.0f, -1.0f, 1.0f, 1.0f, -1.0f,
             1.0f, 0.0f, 1.0f, 1.0f},
            {0, 2, 1, 3, 4, 5, 0, 1, 4, 0, 4, 3, 1, 2, 5, 1, 5, 4, 2, 0, 3, 2, 3, 5}};
}

inline void BuildShape(Physics::ConvexPolyhedra& shape, const TestMesh& mesh)
{
    shape.Build(mesh.indices, mesh.positions, Physics::VertexLayout{});
}

inline glm::mat4 WorldMatrix(const glm::vec3& position, const glm::quat& rotation = glm::quat(1, 0, 0, 0),
                             const glm::vec3& scale = glm::vec3(1.0f))
{
    return glm::translate(glm::mat4(1.0f), position) * glm::mat4_cast(rotation) *
           glm::scale(glm::mat4(1.0f), scale);
}
} // namespace Morvane::Testing
