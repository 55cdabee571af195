#pragma once

#include <glm/vec3.hpp>

namespace Morvane::Physics
{
class Component;

// One touching pair seen from one of its bodies, for the current step only.
struct Contact
{
    // From convex tests; (0, 0, 0) for box tests.
    glm::vec3 point{0.0f};
    // The normal toward the other body scaled by this body's mass share; the shape tests store the raw
    // normal here and the body rescales it.
    glm::vec3 correction{0.0f};
    // Penetration, <= 0 once recorded by a body.
    float depth = 0.0f;
    Component* self = nullptr;
    // Null once that body is deleted.
    Component* other = nullptr;
};
} // namespace Morvane::Physics
