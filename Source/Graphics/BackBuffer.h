#pragma once

#include "Texture/ImageComparison.h"

namespace Morvane::Graphics
{
// The window's back buffer as drawn so far this frame, `width` x `height` pixels from its bottom-left
// corner, as an 8-bit RGB picture with the top row first. Needs the current context; leaves the read
// state as it found it.
Texture::RgbImage ReadBackBuffer(int width, int height);
} // namespace Morvane::Graphics
