#include "Shape/AABB.h"

#include "Parsing/IParserData.h"
#include "Parsing/ParserDataUtilities/ParserDataUtilities.h"
#include "Shape/DebugDrawer.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <cmath>
#include <glm/common.hpp>
#include <limits>

namespace Morvane::Physics
{
namespace
{
bool Separated(const AABB& a, const AABB& b, int axis)
{
    return b.GetMin()[axis] > a.GetMax()[axis] || a.GetMin()[axis] > b.GetMax()[axis];
}
} // namespace

bool AABB::Parse(const IParserData* data)
{
    if (!data->HasAttribute("size"))
    {
        Log::Error("AABB shape", "An AABB must be given a size");
        return false;
    }
    SetHalfSize(ParserDataUtilities::ToVec3(data->GetAttribute("size", "")) * 0.5f);
    return true;
}

bool AABB::Save(IParserData* data) const
{
    data->SetAttribute("shape", "AABB");
    // Exact, so that Parse halves it back to the same half size.
    const glm::vec3 size = m_halfSize * 2.0f;
    data->SetAttribute("size", Format("%.9g;%.9g;%.9g", static_cast<double>(size.x),
                                      static_cast<double>(size.y), static_cast<double>(size.z)));
    return true;
}

bool AABB::CollideAABB(const AABB* other, Contact* out) const
{
    float depth = std::numeric_limits<float>::max();
    int bestAxis = -1;
    for (int axis = 0; axis < 3; ++axis)
    {
        if (Separated(*this, *other, axis))
        {
            return false;
        }
        const float d1 = other->m_min[axis] - m_max[axis];
        const float d2 = other->m_max[axis] - m_min[axis];
        const float candidate = std::abs(d2) > std::abs(d1) ? d1 : d2;
        if (std::abs(candidate) < std::abs(depth))
        {
            depth = candidate;
            bestAxis = axis;
        }
    }
    // Only NaN bounds leave every axis without a candidate.
    if (bestAxis < 0)
    {
        return false;
    }
    out->correction = glm::vec3(0.0f);
    out->correction[bestAxis] = -1.0f;
    out->depth = depth;
    return true;
}

bool AABB::IntersectsAABB(const AABB* other) const
{
    for (int axis = 0; axis < 3; ++axis)
    {
        if (Separated(*this, *other, axis))
        {
            return false;
        }
    }
    return true;
}

void AABB::Update(const glm::vec3& position, const glm::mat4&)
{
    m_min = position - m_halfSize;
    m_max = position + m_halfSize;
}

void AABB::DebugDraw(DebugDrawer& drawer, const glm::vec4& colour) const
{
    drawer.Box((m_min + m_max) * 0.5f, m_halfSize * 2.0f, colour);
}

bool AABB::GetWorldBounds(glm::vec3& min, glm::vec3& max) const
{
    min = m_min;
    max = m_max;
    return true;
}

void AABB::SetHalfSize(const glm::vec3& halfSize)
{
    m_halfSize = glm::abs(halfSize);
}
} // namespace Morvane::Physics
