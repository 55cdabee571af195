#include "Graphics/RenderQuality/RenderQuality.h"

#include "Component/TransformComponent.h"
#include "Graphics/GaussGraphics/GaussGraphics.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/OpenGL.h"
#include "Graphics/SimpleBlurGraphics/SimpleBlurGraphics.h"
#include "Resources/ResourceSystem.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "Texture/FrameBuffer.h"
#include "Texture/Texture.h"

#include <cmath>

using namespace Morvane;

namespace
{
const char* const kChannel = "RenderQuality";

// The lit target shares the world's depth, so it is resized with the G-buffer.
const RenderQualityTarget kTargets[] = {
    {"Texture_WorldDepth", 1.0f, 1.0f},
    {"Texture_Diffuse", 1.0f, 1.0f},
    {"Texture_PositionsInView", 1.0f, 1.0f},
    {"Texture_NormalsInView", 1.0f, 1.0f},
    {"Texture_Lit", 1.0f, 1.0f},
    {"Texture_DOF", 1.0f, 1.0f},
    {"Texture_LightScattering_Fetch", 0.5f, 1.0f},
    {"Texture_LightScattering_Final", 0.5f, 1.0f},
    {"SSAO_OcclusionTexture", 0.5f, 0.5f},
    {"SSAO_OcclusionTextureBlurHorizontal", 0.5f, 0.5f},
    {"SSAO_OcclusionTextureBlur", 0.5f, 0.5f},
    {"Texture_Bloom0", 0.5f, 0.5f},
    {"Texture_Bloom1", 0.5f, 0.5f},
};

const char* const kFrameBuffers[] = {"FrameBuffer_World",
                                     "FrameBuffer_Lit",
                                     "FrameBuffer_LightScattering_Fetch",
                                     "FrameBuffer_LightScattering_Final",
                                     "FrameBuffer_SSAO",
                                     "FrameBuffer_SSAO_BlurHorizontal",
                                     "FrameBuffer_SSAO_Blur",
                                     "FrameBuffer_Bloom0",
                                     "FrameBuffer_Bloom1",
                                     "FrameBuffer_DOF"};
// The blurs take their texel size from their object's scale: it follows the texture each one reads.
void FitBlursToTheirTextures()
{
    for (Graphics::Component* component : Graphics::System::GetInstance().GetComponents())
    {
        const bool blur = dynamic_cast<GaussGraphics*>(component) != nullptr ||
                          dynamic_cast<SimpleBlurGraphics*>(component) != nullptr;
        Game::TransformComponent* transform = component->GetTransform();
        const Graphics::Texture* texture = component->GetTexture();
        if (blur && transform != nullptr && texture != nullptr)
        {
            transform->SetScale({static_cast<float>(texture->GetWidth()),
                                 static_cast<float>(texture->GetHeight()), transform->GetScale().z});
        }
    }
}
} // namespace

std::span<const RenderQualityTarget> GetRenderQualityTargets()
{
    return kTargets;
}

bool ApplyRenderQuality(float factor)
{
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    const float width = std::round(factor * kRenderQualityBaseWidth);
    const float height = std::round(factor * kRenderQualityBaseHeight);
    // Written so that NaN fails too.
    if (!(std::round(width * 0.5f) >= 1.0f && std::round(height * 0.5f) >= 1.0f &&
          width <= static_cast<float>(largest)))
    {
        Log::Error(kChannel, Format("Unusable render quality %g", static_cast<double>(factor)));
        return false;
    }
    Resources::System& resources = Resources::System::GetInstance();
    bool resized = false;
    for (const RenderQualityTarget& target : kTargets)
    {
        auto* texture = resources.GetResource<Graphics::Texture>(target.texture);
        const auto targetWidth = static_cast<unsigned>(std::round(width * target.widthShare));
        const auto targetHeight = static_cast<unsigned>(std::round(height * target.heightShare));
        // Reallocating a target of the same size would only cost a frame buffer rebuild.
        if (texture != nullptr &&
            (texture->GetWidth() != targetWidth || texture->GetHeight() != targetHeight))
        {
            texture->SetSize(targetWidth, targetHeight);
            resized = true;
        }
    }
    if (!resized)
    {
        return true;
    }
    bool built = true;
    for (const char* name : kFrameBuffers)
    {
        if (auto* frameBuffer = resources.GetResource<Graphics::FrameBuffer>(name))
        {
            built = frameBuffer->Initialize() && built;
        }
    }
    FitBlursToTheirTextures();
    return built;
}
