#pragma once

#include <string>

// The game's own uniform purposes: a shader names them by text ("Oculus_LensCenter"), the graphics
// system turns the text into one of these ids through IdentifyCustomPurpose, and the game's graphics
// kinds upload the value in SetCustomUniform. The ids are those stored data and shaders rely on.
enum CustomPurpose : int
{
    kGaussianWeights = 0,
    kOneOverSize = 1,
    kGaussianPixelOffsets = 2,
    kOculusLensCenter = 3,
    kOculusScale = 4,
    kOculusScaleIn = 5,
    kOculusScreenCenter = 6,
    kOculusView = 7,
    kOculusProjection = 8,
    kOculusHmdWarpParam = 9,
    kOculusTextureMatrix = 10,
    kDepthTexture = 11,
    kFocus = 12,
    kBias = 13,
    kBlurClamp = 14,
    kAspectRatio = 15,
    kParticlesScale = 16,
    kDeferredDiffuseTexture = 17,
    kDeferredNormalsTexture = 18,
    kDeferredPositionsTexture = 19,
    kDeferredDepthTexture = 20,
    kLightDirectionView = 21,
    kLightPositionView = 22,
    kLightAttenuation = 23,
    kFogColor = 24,
    kFogAmount = 25,
    kAmbientColor = 26,
    kSsaoNoiseScale = 27,
    kSsaoNoiseTexture = 28,
    kSsaoKernel = 29,
    kSsaoKernelSize = 30,
    kSsaoSourceProjectionMatrix = 31,
    kSsaoScaleFactor = 32,
    kAmbientTerm = 33,
    kLightPositionScreen = 34,
    kLightScatteringDecay = 35,
    kLightScatteringExposure = 36,
    kLightScatteringDensity = 37,
    // Served by the post-processing kinds, after the ids above.
    kLightScatteringWeight = 38,
    kDetectionTexture = 39,
    kEdgeDetectionViewMatrix = 40,
    kBlurSize = 41,
};

// The id of `purpose`, or -1 for a text the game does not know. Installed by start-up as the graphics
// system's custom uniform identifier; safe on the load thread (it reads a constant table).
int IdentifyCustomPurpose(const std::string& purpose);
