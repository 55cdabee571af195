#include "Shape/ConvexPolyhedra.h"

#include "Parsing/IParserData.h"
#include "Shape/DebugDrawer.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <cmath>
#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <glm/mat3x3.hpp>
#include <limits>

namespace Morvane::Physics
{
namespace
{
const char* const kChannel = "ConvexPolyhedra shape";
// Face directions closer than this (|cos|) count as one, as the mesh's flat faces are split into triangles.
constexpr float kParallelNormals = 0.99f;
// Edge directions are merged only when truly parallel: every distinct one may be a separating axis.
constexpr float kParallelEdges = 0.99999f;
// Crosses of nearly parallel edges are left out; the face normals cover those directions.
constexpr float kMinimumCross = 1.0e-3f;
constexpr float kMergeDistance = 0.01f;
const glm::vec4 kSupportColour(1.0f, 1.0f, 1.0f, 1.0f);
constexpr float kSupportRadius = 0.05f;

struct Interval
{
    float min = 0.0f;
    float max = 0.0f;
};

Interval Project(const std::vector<glm::vec3>& vertices, const glm::vec3& axis)
{
    Interval interval{glm::dot(vertices.front(), axis), glm::dot(vertices.front(), axis)};
    for (const glm::vec3& vertex : vertices)
    {
        const float projection = glm::dot(vertex, axis);
        interval.min = std::min(interval.min, projection);
        interval.max = std::max(interval.max, projection);
    }
    return interval;
}

// The vertices whose projection on `axis` is exactly `extreme`.
std::vector<glm::vec3> Support(const std::vector<glm::vec3>& vertices, const glm::vec3& axis, float extreme)
{
    std::vector<glm::vec3> support;
    for (const glm::vec3& vertex : vertices)
    {
        if (glm::dot(vertex, axis) == extreme)
        {
            support.push_back(vertex);
        }
    }
    return support;
}

// Unit length, or zero when the vector is too short (or not finite) to give a direction.
glm::vec3 Direction(const glm::vec3& vector)
{
    const float length = glm::length(vector);
    if (!(length > 1.0e-12f) || !std::isfinite(length))
    {
        return glm::vec3(0.0f);
    }
    return vector / length;
}

bool AddDistinct(std::vector<glm::vec3>& directions, const glm::vec3& direction, float parallel)
{
    for (const glm::vec3& existing : directions)
    {
        if (std::abs(glm::dot(existing, direction)) > parallel)
        {
            return false;
        }
    }
    directions.push_back(direction);
    return true;
}

// The face normal of triangle (a, b, c), or zero for a degenerate triangle.
glm::vec3 FaceNormal(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c)
{
    const glm::vec3 e1 = Direction(b - a);
    const glm::vec3 e2 = Direction(c - b);
    const glm::vec3 cross = glm::cross(e1, e2);
    // The sine of the angle at b: collinear or collapsed corners give no plane.
    return glm::length(cross) < 1.0e-4f ? glm::vec3(0.0f) : Direction(cross);
}
} // namespace

bool ConvexPolyhedra::Parse(const IParserData* data)
{
    m_referenceMesh = data->GetAttribute("referenceMesh", "");
    return true;
}

bool ConvexPolyhedra::Save(IParserData* data) const
{
    data->SetAttribute("shape", "ConvexPolyhedra");
    if (!m_referenceMesh.empty())
    {
        data->SetAttribute("referenceMesh", m_referenceMesh);
    }
    return true;
}

void ConvexPolyhedra::Clear()
{
    m_localVertices.clear();
    m_edges.clear();
    m_localNormals.clear();
    m_localEdgeDirections.clear();
    m_worldVertices.clear();
    m_worldNormals.clear();
    m_worldEdgeDirections.clear();
}

bool ConvexPolyhedra::Build(const std::vector<std::uint32_t>& indices, const std::vector<float>& data,
                            const VertexLayout& layout)
{
    Clear();
    if (layout.stride < 3)
    {
        Log::Warning(kChannel, Format("Vertex stride of %zu floats cannot hold a position", layout.stride));
        return false;
    }
    const std::size_t vertexCount =
        data.size() >= layout.offset + 3 ? (data.size() - layout.offset - 3) / layout.stride + 1 : 0;
    std::vector<std::uint32_t> order = indices;
    if (order.empty())
    {
        order.resize(vertexCount);
        for (std::size_t index = 0; index < vertexCount; ++index)
        {
            order[index] = static_cast<std::uint32_t>(index);
        }
    }
    const std::size_t triangleCount = order.size() / 3;
    for (std::size_t position = 0; position < triangleCount * 3; ++position)
    {
        const std::uint32_t index = order[position];
        if (index >= vertexCount)
        {
            Log::Warning(kChannel, Format("Index %u is beyond the mesh's %zu vertices", index, vertexCount));
            Clear();
            return false;
        }
        const std::size_t at = layout.offset + std::size_t{index} * layout.stride;
        m_localVertices.emplace_back(data[at], data[at + 1], data[at + 2]);
    }
    ComputeEdges(triangleCount);
    ComputeNormals(triangleCount);
    ComputeEdgeDirections();
    // Without a face there is no axis to test: a flat or collapsed mesh never collides.
    if (!m_localVertices.empty() && m_localNormals.empty())
    {
        Log::Warning(kChannel, "No face of the mesh spans a plane: the shape stays empty");
        Clear();
        return false;
    }
    MergeVertices();
    m_worldVertices.assign(m_localVertices.size(), glm::vec3(0.0f));
    m_worldNormals.assign(m_localNormals.size(), glm::vec3(0.0f));
    m_worldEdgeDirections.assign(m_localEdgeDirections.size(), glm::vec3(0.0f));
    return true;
}

void ConvexPolyhedra::ComputeEdges(std::size_t triangleCount)
{
    m_edges.clear();
    if (m_localVertices.empty())
    {
        Log::Warning(kChannel, "No vertices to compute edges");
        return;
    }
    for (std::uint32_t t = 0; t < triangleCount; ++t)
    {
        m_edges.emplace_back(3 * t + 1, 3 * t);
        m_edges.emplace_back(3 * t + 2, 3 * t + 1);
        m_edges.emplace_back(3 * t, 3 * t + 2);
    }
}

void ConvexPolyhedra::ComputeNormals(std::size_t triangleCount)
{
    m_localNormals.clear();
    if (m_edges.empty())
    {
        Log::Warning(kChannel, "No edges to compute normals");
        return;
    }
    for (std::size_t t = 0; t < triangleCount; ++t)
    {
        const glm::vec3 normal =
            FaceNormal(m_localVertices[3 * t], m_localVertices[3 * t + 1], m_localVertices[3 * t + 2]);
        if (normal != glm::vec3(0.0f))
        {
            AddDistinct(m_localNormals, normal, kParallelNormals);
        }
    }
}

// Only the edges of triangles that span a plane: a degenerate one adds no direction of its own.
void ConvexPolyhedra::ComputeEdgeDirections()
{
    m_localEdgeDirections.clear();
    for (std::size_t t = 0; t * 3 < m_localVertices.size(); ++t)
    {
        const glm::vec3* corner = &m_localVertices[3 * t];
        if (FaceNormal(corner[0], corner[1], corner[2]) == glm::vec3(0.0f))
        {
            continue;
        }
        for (int side = 0; side < 3; ++side)
        {
            const glm::vec3 direction = Direction(corner[(side + 1) % 3] - corner[side]);
            if (direction != glm::vec3(0.0f))
            {
                AddDistinct(m_localEdgeDirections, direction, kParallelEdges);
            }
        }
    }
}

void ConvexPolyhedra::MergeVertices()
{
    std::vector<glm::vec3> merged;
    std::vector<std::uint32_t> remap(m_localVertices.size());
    for (std::size_t index = 0; index < m_localVertices.size(); ++index)
    {
        const glm::vec3& vertex = m_localVertices[index];
        const auto found = std::find_if(merged.begin(), merged.end(),
                                        [&](const glm::vec3& kept)
                                        {
                                            const glm::vec3 difference = glm::abs(kept - vertex);
                                            return difference.x <= kMergeDistance &&
                                                   difference.y <= kMergeDistance &&
                                                   difference.z <= kMergeDistance;
                                        });
        remap[index] = static_cast<std::uint32_t>(found - merged.begin());
        if (found == merged.end())
        {
            merged.push_back(vertex);
        }
    }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> edges;
    for (const auto& [from, to] : m_edges)
    {
        const std::uint32_t a = remap[from];
        const std::uint32_t b = remap[to];
        const bool known = std::any_of(edges.begin(), edges.end(),
                                       [&](const auto& edge) {
                                           return (edge.first == a && edge.second == b) ||
                                                  (edge.first == b && edge.second == a);
                                       });
        if (a != b && !known)
        {
            edges.emplace_back(a, b);
        }
    }
    m_localVertices = std::move(merged);
    m_edges = std::move(edges);
}

// Normals go through the inverse transpose, written as the cofactor matrix (the inverse transpose
// times the determinant) so that a flat scale gives short normals instead of a division by zero.
void ConvexPolyhedra::Update(const glm::vec3&, const glm::mat4& worldMatrix)
{
    for (std::size_t index = 0; index < m_localVertices.size(); ++index)
    {
        m_worldVertices[index] = glm::vec3(worldMatrix * glm::vec4(m_localVertices[index], 1.0f));
    }
    const glm::mat3 linear(worldMatrix);
    const glm::mat3 cofactor(glm::cross(linear[1], linear[2]), glm::cross(linear[2], linear[0]),
                             glm::cross(linear[0], linear[1]));
    const float orientation = glm::dot(linear[0], glm::cross(linear[1], linear[2])) < 0.0f ? -1.0f : 1.0f;
    for (std::size_t index = 0; index < m_localNormals.size(); ++index)
    {
        m_worldNormals[index] = Direction(cofactor * m_localNormals[index] * orientation);
    }
    for (std::size_t index = 0; index < m_localEdgeDirections.size(); ++index)
    {
        m_worldEdgeDirections[index] = Direction(linear * m_localEdgeDirections[index]);
    }
}

bool ConvexPolyhedra::CollideConvex(const ConvexPolyhedra* other, Contact* out,
                                    DebugDrawer* supportMarker) const
{
    if (m_worldVertices.empty() || other->m_worldVertices.empty())
    {
        return false;
    }
    float depth = std::numeric_limits<float>::max();
    glm::vec3 bestAxis(0.0f);
    bool thisMaxSide = false;
    // False when `axis` separates the shapes; a zero axis (a collapsed direction) is skipped.
    const auto test = [&](const glm::vec3& axis)
    {
        if (axis == glm::vec3(0.0f))
        {
            return true;
        }
        const Interval a = Project(m_worldVertices, axis);
        const Interval b = Project(other->m_worldVertices, axis);
        if (a.max < b.min || b.max < a.min)
        {
            return false;
        }
        const float d1 = b.min - a.max;
        const float d2 = b.max - a.min;
        const float candidate = std::abs(d2) <= std::abs(d1) ? d2 : d1;
        if (std::abs(candidate) < std::abs(depth))
        {
            depth = candidate;
            bestAxis = axis;
            thisMaxSide = a.max <= b.max;
        }
        return true;
    };
    for (const glm::vec3& normal : m_worldNormals)
    {
        if (!test(normal))
        {
            return false;
        }
    }
    for (const glm::vec3& normal : other->m_worldNormals)
    {
        if (!test(normal))
        {
            return false;
        }
    }
    for (const glm::vec3& mine : m_worldEdgeDirections)
    {
        for (const glm::vec3& theirs : other->m_worldEdgeDirections)
        {
            const glm::vec3 cross = glm::cross(mine, theirs);
            const float length = glm::length(cross);
            if (length >= kMinimumCross && !test(cross / length))
            {
                return false;
            }
        }
    }
    // No axis at all, or none with a finite depth (NaN vertices): no contact.
    if (bestAxis == glm::vec3(0.0f))
    {
        return false;
    }
    const Interval a = Project(m_worldVertices, bestAxis);
    const Interval b = Project(other->m_worldVertices, bestAxis);
    const std::vector<glm::vec3> mine = Support(m_worldVertices, bestAxis, thisMaxSide ? a.max : a.min);
    const std::vector<glm::vec3> theirs =
        Support(other->m_worldVertices, bestAxis, thisMaxSide ? b.min : b.max);
    if (mine.size() == 1)
    {
        out->point = mine.front();
    }
    else if (theirs.size() == 1)
    {
        out->point = theirs.front();
    }
    else
    {
        glm::vec3 sum(0.0f);
        for (const glm::vec3& vertex : mine)
        {
            sum += vertex;
        }
        for (const glm::vec3& vertex : theirs)
        {
            sum += vertex;
        }
        const std::size_t count = mine.size() + theirs.size();
        out->point = count > 0 ? sum / static_cast<float>(count) : glm::vec3(0.0f);
    }
    if (supportMarker != nullptr)
    {
        for (const std::vector<glm::vec3>* side : {&mine, &theirs})
        {
            for (const glm::vec3& vertex : *side)
            {
                supportMarker->Sphere(vertex, kSupportRadius, kSupportColour);
            }
        }
    }
    // The box convention: oriented by the depth's sign, the normal points toward the other body.
    out->correction = -bestAxis;
    out->depth = depth;
    return true;
}

void ConvexPolyhedra::DebugDraw(DebugDrawer& drawer, const glm::vec4& colour) const
{
    for (const auto& [from, to] : m_edges)
    {
        drawer.Line(m_worldVertices[from], m_worldVertices[to], colour);
    }
}

bool ConvexPolyhedra::GetWorldBounds(glm::vec3& min, glm::vec3& max) const
{
    if (m_worldVertices.empty())
    {
        return false;
    }
    min = m_worldVertices.front();
    max = m_worldVertices.front();
    for (const glm::vec3& vertex : m_worldVertices)
    {
        min = glm::min(min, vertex);
        max = glm::max(max, vertex);
    }
    return std::isfinite(min.x + min.y + min.z + max.x + max.y + max.z);
}
} // namespace Morvane::Physics
