#include "Graphics/OculusGraphics/OculusGraphics.h"

#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/CustomPurposes/CustomUniforms.h"
#include "Parsing/IParserData.h"
#include "Shader/UniformDefinition.h"

#include <unordered_map>

using namespace Morvane;

namespace
{
constexpr const char* kType = "GraphicsComponent_Oculus";

using Upload = void (*)(const Graphics::UniformDefinition&, const Hmd::EyeParameters&);

// One entry per purpose this component serves.
const std::unordered_map<int, Upload> kUploads = {
    {kOculusLensCenter, [](const auto& uniform, const auto& eye) { UploadVec2(uniform, eye.lensCenter); }},
    {kOculusScale, [](const auto& uniform, const auto& eye) { UploadVec2(uniform, eye.scale); }},
    {kOculusScaleIn, [](const auto& uniform, const auto& eye) { UploadVec2(uniform, eye.scaleIn); }},
    {kOculusScreenCenter,
     [](const auto& uniform, const auto& eye) { UploadVec2(uniform, eye.screenCenter); }},
    {kOculusView, [](const auto& uniform, const auto& eye) { UploadMat4(uniform, eye.view); }},
    {kOculusProjection, [](const auto& uniform, const auto& eye) { UploadMat4(uniform, eye.projection); }},
    {kOculusHmdWarpParam, [](const auto& uniform, const auto& eye) { UploadVec4(uniform, eye.warp); }},
    {kOculusTextureMatrix,
     [](const auto& uniform, const auto& eye) { UploadMat4(uniform, eye.textureMatrix); }},
};
} // namespace

bool OculusGraphics::Parse(const IParserData* data)
{
    if (!Component::Parse(data))
    {
        return false;
    }
    m_eye = data->GetAttribute("eye", "left") == "right" ? Hmd::Eye::Right : Hmd::Eye::Left;
    return true;
}

bool OculusGraphics::Save(IParserData* data)
{
    IParserData* element = SaveElement(data);
    element->SetAttribute("type", kType);
    element->SetAttribute("eye", m_eye == Hmd::Eye::Right ? "right" : "left");
    return true;
}

void OculusGraphics::Clone(Game::Component* destination)
{
    Component::Clone(destination);
    if (auto* other = dynamic_cast<OculusGraphics*>(destination))
    {
        other->m_eye = m_eye;
    }
}

void OculusGraphics::SetCustomUniform(Graphics::Camera*, const Graphics::UniformDefinition& uniform)
{
    if (const auto found = kUploads.find(uniform.m_customPurpose); found != kUploads.end())
    {
        found->second(uniform, Hmd::Device::GetInstance().GetEye(m_eye));
    }
}
