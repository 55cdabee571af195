#pragma once

#include <cmath>

namespace Morvane::Math
{
// The share of the remaining way covered in one step when something moves toward a target at `rate`
// per second: 1 - e^(-rate dt). Unlike rate x dt it never overshoots, and the motion is the same at
// any frame rate.
inline float Smoothing(float rate, float dt)
{
    return 1.0f - std::exp(-rate * dt);
}
} // namespace Morvane::Math
