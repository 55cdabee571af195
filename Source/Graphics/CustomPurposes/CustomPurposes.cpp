#include "Graphics/CustomPurposes/CustomPurposes.h"

#include <string_view>
#include <unordered_map>

namespace
{
const std::unordered_map<std::string_view, CustomPurpose> kPurposes = {
    {"GaussianWeights", kGaussianWeights},
    {"OneOverSize", kOneOverSize},
    {"GaussianPixelOffsets", kGaussianPixelOffsets},
    {"Oculus_LensCenter", kOculusLensCenter},
    {"Oculus_Scale", kOculusScale},
    {"Oculus_ScaleIn", kOculusScaleIn},
    {"Oculus_ScreenCenter", kOculusScreenCenter},
    {"Oculus_View", kOculusView},
    {"Oculus_Projection", kOculusProjection},
    {"Oculus_HmdWarpParam", kOculusHmdWarpParam},
    {"Oculus_TextureMatrix", kOculusTextureMatrix},
    {"DepthTexture", kDepthTexture},
    {"Focus", kFocus},
    {"Bias", kBias},
    {"BlurClamp", kBlurClamp},
    {"AspectRatio", kAspectRatio},
    {"ParticlesScale", kParticlesScale},
    {"DeferredDiffuseTexture", kDeferredDiffuseTexture},
    {"DeferredNormalsTexture", kDeferredNormalsTexture},
    {"DeferredPositionsTexture", kDeferredPositionsTexture},
    {"DeferredDepthTexture", kDeferredDepthTexture},
    {"LightDirection_View", kLightDirectionView},
    {"LightPosition_View", kLightPositionView},
    {"LightAttenuation", kLightAttenuation},
    {"FogColor", kFogColor},
    {"FogAmount", kFogAmount},
    {"AmbientColor", kAmbientColor},
    {"SSAO_NoiseScale", kSsaoNoiseScale},
    {"SSAO_NoiseTexture", kSsaoNoiseTexture},
    {"SSAO_Kernel", kSsaoKernel},
    {"SSAO_KernelSize", kSsaoKernelSize},
    {"SSAO_SourceProjectionMatrix", kSsaoSourceProjectionMatrix},
    {"SSAO_ScaleFactor", kSsaoScaleFactor},
    {"AmbientTerm", kAmbientTerm},
    {"LightPositionScreen", kLightPositionScreen},
    {"LightScatteringDecay", kLightScatteringDecay},
    {"LightScatteringExposure", kLightScatteringExposure},
    {"LightScatteringDensity", kLightScatteringDensity},
    {"LightScatteringWeight", kLightScatteringWeight},
    {"DetectionTexture", kDetectionTexture},
    {"EdgeDetectionViewMatrix", kEdgeDetectionViewMatrix},
    {"BlurSize", kBlurSize},
};
} // namespace

int IdentifyCustomPurpose(const std::string& purpose)
{
    const auto found = kPurposes.find(purpose);
    return found != kPurposes.end() ? found->second : -1;
}
