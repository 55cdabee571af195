#include "Shape/Shape.h"

namespace Morvane::Physics
{
bool Shape::CollideConvex(const ConvexPolyhedra*, Contact*, DebugDrawer*) const
{
    return false;
}

bool Shape::CollideAABB(const AABB*, Contact*) const
{
    return false;
}

bool Shape::IntersectsConvex(const ConvexPolyhedra*) const
{
    return false;
}

bool Shape::IntersectsAABB(const AABB*) const
{
    return false;
}
} // namespace Morvane::Physics
