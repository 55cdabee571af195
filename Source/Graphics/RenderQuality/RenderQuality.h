#pragma once

#include <span>

// The size a factor of 1 renders the world at, whatever the window's size.
constexpr float kRenderQualityBaseWidth = 1280.0f;
constexpr float kRenderQualityBaseHeight = 800.0f;

// A render target the quality sizes: its shares of the full 1280 x 800.
struct RenderQualityTarget
{
    const char* texture;
    float widthShare;
    float heightShare;
};

// The render quality: the world's render targets at `factor` × 1280 by `factor` × 800 (the light
// scattering targets, where the configuration has them, half as wide; ambient occlusion and bloom half
// each way), every frame buffer drawing into them built again on the new textures, and every blur
// object scaled to the size of the texture it reads (its texel size). Factors the menu offers: 0.25, 0.5, 1.0
// and 1.5. Only targets whose size changes are made again, and the frame buffers only then. A factor that
// gives no texel or more than OpenGL allows changes nothing and is logged; false then, and when a frame
// buffer could not be built again.
bool ApplyRenderQuality(float factor);
// Every target ApplyRenderQuality sizes, in the order it sizes them.
std::span<const RenderQualityTarget> GetRenderQualityTargets();
