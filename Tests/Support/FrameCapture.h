#pragma once

#include "Texture/ImageComparison.h"

namespace Morvane::Testing
{
// Runs one frame of the graphics system and returns the window's bottom-left `width` x `height`
// pixels as the frame left them before the swap, top row first (as pictures and goldens are stored).
Texture::RgbImage CaptureFrame(int width, int height);
} // namespace Morvane::Testing
