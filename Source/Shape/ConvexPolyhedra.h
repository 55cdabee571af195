#pragma once

#include "Shape/Shape.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Morvane::Physics
{
// Where the vertex positions sit in a float buffer: position k is the three floats from
// offset + k * stride (both counted in floats).
struct VertexLayout
{
    std::size_t offset = 0;
    std::size_t stride = 3;
};

// A convex hull taken from a triangle mesh; it follows the owner's full world matrix.
// Collision is a separating-axis test over both shapes' face normals and the normalised crosses of
// their distinct edge directions, so every axis measures depth in world units.
class ConvexPolyhedra : public Shape
{
public:
    ConvexPolyhedra() : Shape(Kind::ConvexPolyhedra) {}

    // Reads the optional "referenceMesh"; the owner builds the hull once that mesh is ready.
    bool Parse(const IParserData* data) override;
    // Writes "shape" and, when given, "referenceMesh".
    bool Save(IParserData* data) const override;
    bool CollideConvex(const ConvexPolyhedra* other, Contact* out, DebugDrawer* supportMarker) const override;
    void Update(const glm::vec3& position, const glm::mat4& worldMatrix) override;
    // One line per edge between the world vertices.
    void DebugDraw(DebugDrawer& drawer, const glm::vec4& colour) const override;
    bool GetWorldBounds(glm::vec3& min, glm::vec3& max) const override;

    // Builds the hull from triangles: three indices each (no indices: vertices 0..n-1 in order). An
    // index beyond the data, a layout that leaves no room for a position, or triangles none of which
    // spans a plane (no axis to test) leave the shape empty (logged); a partial last triangle and
    // degenerate triangles add no normal.
    bool Build(const std::vector<std::uint32_t>& indices, const std::vector<float>& data,
               const VertexLayout& layout);
    // Empties the hull (local and world data).
    void Clear();

    const std::string& GetReferenceMesh() const { return m_referenceMesh; }
    const std::vector<glm::vec3>& GetLocalVertices() const { return m_localVertices; }
    const std::vector<std::pair<std::uint32_t, std::uint32_t>>& GetEdges() const { return m_edges; }
    const std::vector<glm::vec3>& GetLocalNormals() const { return m_localNormals; }
    const std::vector<glm::vec3>& GetWorldVertices() const { return m_worldVertices; }
    const std::vector<glm::vec3>& GetWorldNormals() const { return m_worldNormals; }
    const std::vector<glm::vec3>& GetWorldEdgeDirections() const { return m_worldEdgeDirections; }

private:
    void ComputeEdges(std::size_t triangleCount);
    void ComputeNormals(std::size_t triangleCount);
    void ComputeEdgeDirections();
    void MergeVertices();

    std::string m_referenceMesh;
    std::vector<glm::vec3> m_localVertices;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_edges;
    std::vector<glm::vec3> m_localNormals;
    // Distinct directions of the edges, unit length.
    std::vector<glm::vec3> m_localEdgeDirections;
    std::vector<glm::vec3> m_worldVertices;
    std::vector<glm::vec3> m_worldNormals;
    std::vector<glm::vec3> m_worldEdgeDirections;
};
} // namespace Morvane::Physics
