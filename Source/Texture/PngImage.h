#pragma once

#include "Texture/TexelImage.h"

#include <cstddef>
#include <span>
#include <string>

namespace Morvane::Graphics
{
// Largest PNG side and texel count taken: bigger images are refused from their header, before any
// memory is spent on them (a texel costs 16 bytes as floats).
inline constexpr unsigned kMaxImageSide = 16384;
inline constexpr std::size_t kMaxImageTexels = std::size_t{1} << 26;

// Decodes PNG bytes of any colour type and depth to upright texels. False with the reason in
// `problem` for a header that is not PNG, a picture too large, or corrupt data.
bool DecodePng(std::span<const unsigned char> bytes, TexelImage& image, std::string& problem);
} // namespace Morvane::Graphics
