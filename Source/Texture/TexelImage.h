#pragma once

#include <cstddef>
#include <vector>

namespace Morvane::Graphics
{
// An image as a texture keeps it on the CPU: four floats per texel (red, green, blue, alpha, each 0 to
// 1), rows from the bottom of the picture up, as OpenGL's texture space has them.
struct TexelImage
{
    unsigned width = 0;
    unsigned height = 0;
    std::vector<float> texels;
};
} // namespace Morvane::Graphics
