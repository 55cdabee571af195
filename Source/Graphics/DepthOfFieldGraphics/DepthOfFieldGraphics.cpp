#include "Graphics/DepthOfFieldGraphics/DepthOfFieldGraphics.h"

#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/CustomPurposes/CustomUniforms.h"
#include "Parsing/IParserData.h"
#include "Resources/ResourceSystem.h"
#include "Shader/UniformDefinition.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "Texture/Texture.h"

using namespace Morvane;
using namespace Morvane::Graphics;

namespace
{
constexpr const char* kType = "GraphicsComponent_DepthOfField";
constexpr unsigned kDepthUnit = 2;
} // namespace

std::string DepthOfFieldGraphics::Channel() const
{
    return Format("%s/DepthOfFieldGraphics", GetOwnerName().c_str());
}

bool DepthOfFieldGraphics::Parse(const IParserData* data)
{
    if (!Component::Parse(data))
    {
        Log::Error(Channel(), "Base could not parse");
        return false;
    }
    const std::string depth = data->GetAttribute("depthTexture", "");
    m_depthTexture = Resources::System::GetInstance().GetResource<Texture>(depth);
    if (m_depthTexture == nullptr)
    {
        Log::Error(Channel(), Format("Could not get depth texture '%s'", depth.c_str()));
        return false;
    }
    m_bias = data->GetAttributeFloat("bias", 0.15f);
    m_focus = data->GetAttributeFloat("focus", 0.96f);
    m_blurClamp = data->GetAttributeFloat("blurClamp", 0.008f);
    return true;
}

bool DepthOfFieldGraphics::Save(IParserData* data)
{
    IParserData* element = SaveElement(data);
    element->SetAttribute("type", kType);
    element->SetAttribute("depthTexture", m_depthTexture != nullptr ? m_depthTexture->GetName() : "");
    element->SetAttributeFloat("bias", m_bias);
    element->SetAttributeFloat("focus", m_focus);
    element->SetAttributeFloat("blurClamp", m_blurClamp);
    return true;
}

void DepthOfFieldGraphics::Clone(Game::Component* destination)
{
    Component::Clone(destination);
    if (auto* other = dynamic_cast<DepthOfFieldGraphics*>(destination))
    {
        other->m_depthTexture = m_depthTexture;
        other->m_blurClamp = m_blurClamp;
        other->m_focus = m_focus;
        other->m_bias = m_bias;
    }
}

void DepthOfFieldGraphics::SetCustomUniform(Camera*, const UniformDefinition& uniform)
{
    switch (uniform.m_customPurpose)
    {
    case kDepthTexture:
        UploadSampler(uniform, m_depthTexture, kDepthUnit, "m_depthTexture");
        break;
    case kFocus:
        UploadFloat(uniform, m_focus);
        break;
    case kBias:
        UploadFloat(uniform, m_bias);
        break;
    case kBlurClamp:
        UploadFloat(uniform, m_blurClamp);
        break;
    case kAspectRatio:
        MORVANE_ASSERT_NAMED(m_depthTexture != nullptr, "m_depthTexture", __LINE__);
        // In floating point: 1280 / 800 is 1.6.
        UploadFloat(uniform, static_cast<float>(m_depthTexture->GetWidth()) /
                                 static_cast<float>(m_depthTexture->GetHeight()));
        break;
    default:
        break;
    }
}
