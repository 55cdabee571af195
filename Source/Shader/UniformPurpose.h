#pragma once

#include <string>

namespace Morvane::Graphics
{
// The engine's uniform purposes, by the id the "purpose" attribute's text selects.
enum UniformPurpose : int
{
    kPurposeNone = 0,
    kPurposeModelViewProjectionMatrix = 1,
    kPurposeModelViewMatrix = 2,
    kPurposeNormalMatrix = 3,
    kPurposeProjectionMatrix = 4,
    kPurposeNearPlane = 5,
    kPurposeFarPlane = 6,
    kPurposeViewProjectionMatrix = 7,
    kPurposeWorldMatrix = 8,
    kPurposeViewMatrix = 9,
    kPurposeDiffuseTexture = 10,
    kPurposeTexCoordOffset = 11,
    kPurposeTexCoordScale = 12,
    kPurposeDiffuseColor = 13,
    kPurposeDiffuseTextureSize = 14,
    kPurposeOneOverDiffuseTextureSize = 15,
    kPurposeCameraResolution = 16,
    // Any other text: the game's custom identifier gives the custom id.
    kPurposeCustom = 17,
};

// The id of an engine purpose text ("ModelViewProjectionMatrix", ...); kPurposeCustom for any other.
int PurposeFromText(const std::string& text);
} // namespace Morvane::Graphics
