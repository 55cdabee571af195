#include "Renderable/PolygonTriangulator.h"

#include <cmath>
#include <glm/geometric.hpp>
#include <glm/vec2.hpp>

namespace Morvane::Graphics
{
namespace
{
constexpr std::size_t kMaxClippedCorners = 64;

float Cross(const glm::vec2& a, const glm::vec2& b, const glm::vec2& c)
{
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

bool Inside(const glm::vec2& point, const glm::vec2& a, const glm::vec2& b, const glm::vec2& c)
{
    return Cross(a, b, point) >= 0.0f && Cross(b, c, point) >= 0.0f && Cross(c, a, point) >= 0.0f;
}

// The corners seen along the normal's largest axis, turned counter-clockwise.
std::vector<glm::vec2> Project(const std::vector<glm::vec3>& corners, const glm::vec3& normal)
{
    const glm::vec3 size = glm::abs(normal);
    int drop = 2;
    if (size.x >= size.y && size.x >= size.z)
    {
        drop = 0;
    }
    else if (size.y >= size.z)
    {
        drop = 1;
    }
    const int u = (drop + 1) % 3;
    const int v = (drop + 2) % 3;
    const bool flip = normal[drop] < 0.0f;
    std::vector<glm::vec2> projected;
    projected.reserve(corners.size());
    for (const glm::vec3& corner : corners)
    {
        projected.emplace_back(flip ? corner[v] : corner[u], flip ? corner[u] : corner[v]);
    }
    return projected;
}

bool IsEar(const std::vector<glm::vec2>& points, const std::vector<std::size_t>& remaining, std::size_t at)
{
    const std::size_t count = remaining.size();
    const glm::vec2& a = points[remaining[(at + count - 1) % count]];
    const glm::vec2& b = points[remaining[at]];
    const glm::vec2& c = points[remaining[(at + 1) % count]];
    if (Cross(a, b, c) <= 0.0f)
    {
        return false;
    }
    for (std::size_t other = 0; other < count; ++other)
    {
        const std::size_t corner = remaining[other];
        if (other == at || other == (at + 1) % count || other == (at + count - 1) % count)
        {
            continue;
        }
        if (points[corner] != a && points[corner] != b && points[corner] != c &&
            Inside(points[corner], a, b, c))
        {
            return false;
        }
    }
    return true;
}
bool IsConvex(const std::vector<glm::vec2>& points)
{
    const std::size_t count = points.size();
    for (std::size_t i = 0; i < count; ++i)
    {
        if (Cross(points[i], points[(i + 1) % count], points[(i + 2) % count]) < 0.0f)
        {
            return false;
        }
    }
    return true;
}
} // namespace

glm::vec3 PolygonNormal(const std::vector<glm::vec3>& corners)
{
    glm::vec3 normal(0.0f);
    for (std::size_t i = 0; i < corners.size(); ++i)
    {
        const glm::vec3& current = corners[i];
        const glm::vec3& next = corners[(i + 1) % corners.size()];
        normal.x += (current.y - next.y) * (current.z + next.z);
        normal.y += (current.z - next.z) * (current.x + next.x);
        normal.z += (current.x - next.x) * (current.y + next.y);
    }
    const float length = glm::length(normal);
    return length > 0.0f && std::isfinite(length) ? normal / length : glm::vec3(0.0f);
}

std::vector<std::array<std::size_t, 3>> TriangulatePolygon(const std::vector<glm::vec3>& corners)
{
    std::vector<std::array<std::size_t, 3>> triangles;
    if (corners.size() < 3)
    {
        return triangles;
    }
    triangles.reserve(corners.size() - 2);
    if (corners.size() == 3)
    {
        triangles.push_back({0, 1, 2});
        return triangles;
    }
    const std::vector<glm::vec2> points = Project(corners, PolygonNormal(corners));
    std::vector<std::size_t> remaining(corners.size());
    for (std::size_t i = 0; i < remaining.size(); ++i)
    {
        remaining[i] = i;
    }
    // Ear clipping costs the cube of the corner count: convex polygons, and concave ones too large for
    // it (no modeller writes those), are fanned.
    const bool clip = corners.size() <= kMaxClippedCorners && !IsConvex(points);
    while (clip && remaining.size() > 3)
    {
        bool clipped = false;
        for (std::size_t at = 0; at < remaining.size(); ++at)
        {
            if (IsEar(points, remaining, at))
            {
                const std::size_t count = remaining.size();
                triangles.push_back(
                    {remaining[(at + count - 1) % count], remaining[at], remaining[(at + 1) % count]});
                remaining.erase(remaining.begin() + static_cast<std::ptrdiff_t>(at));
                clipped = true;
                break;
            }
        }
        if (!clipped)
        {
            break;
        }
    }
    for (std::size_t i = 1; i + 1 < remaining.size(); ++i)
    {
        triangles.push_back({remaining[0], remaining[i], remaining[i + 1]});
    }
    return triangles;
}
} // namespace Morvane::Graphics
