#include "Shader/UniformPurpose.h"

#include <algorithm>
#include <string_view>

namespace Morvane::Graphics
{
namespace
{
struct PurposeName
{
    std::string_view text;
    int id;
};

const PurposeName kPurposes[] = {
    {"ModelViewProjectionMatrix", kPurposeModelViewProjectionMatrix},
    {"ModelViewMatrix", kPurposeModelViewMatrix},
    {"NormalMatrix", kPurposeNormalMatrix},
    {"ProjectionMatrix", kPurposeProjectionMatrix},
    {"NearPlane", kPurposeNearPlane},
    {"FarPlane", kPurposeFarPlane},
    {"ViewProjectionMatrix", kPurposeViewProjectionMatrix},
    {"WorldMatrix", kPurposeWorldMatrix},
    {"ViewMatrix", kPurposeViewMatrix},
    {"DiffuseTexture", kPurposeDiffuseTexture},
    {"TexCoordOffset", kPurposeTexCoordOffset},
    {"TexCoordScale", kPurposeTexCoordScale},
    {"DiffuseColor", kPurposeDiffuseColor},
    {"DiffuseTextureSize", kPurposeDiffuseTextureSize},
    {"OneOverDiffuseTextureSize", kPurposeOneOverDiffuseTextureSize},
    {"CameraResolution", kPurposeCameraResolution},
};
} // namespace

int PurposeFromText(const std::string& text)
{
    const auto found = std::ranges::find(kPurposes, std::string_view(text), &PurposeName::text);
    return found != std::end(kPurposes) ? found->id : kPurposeCustom;
}
} // namespace Morvane::Graphics
