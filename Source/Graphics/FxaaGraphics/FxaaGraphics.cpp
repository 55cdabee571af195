#include "Graphics/FxaaGraphics/FxaaGraphics.h"

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
constexpr const char* kType = "GraphicsComponent_Fxaa";
} // namespace

std::string FxaaGraphics::Channel() const
{
    return Format("%s/FxaaGraphics", GetOwnerName().c_str());
}

bool FxaaGraphics::Parse(const IParserData* data)
{
    if (!Component::Parse(data))
    {
        Log::Error(Channel(), "Base could not parse");
        return false;
    }
    const std::string name = data->GetAttribute("resolutionTexture", "");
    m_resolutionTexture = Resources::System::GetInstance().GetResource<Texture>(name);
    if (m_resolutionTexture == nullptr)
    {
        Log::Error(Channel(), Format("Could not get resolution texture '%s'", name.c_str()));
    }
    return true;
}

bool FxaaGraphics::Initialize()
{
    return m_resolutionTexture != nullptr;
}

bool FxaaGraphics::Save(IParserData* data)
{
    IParserData* element = SaveElement(data);
    element->SetAttribute("type", kType);
    element->SetAttribute("resolutionTexture",
                          m_resolutionTexture != nullptr ? m_resolutionTexture->GetName() : "");
    return true;
}

void FxaaGraphics::Clone(Game::Component* destination)
{
    Component::Clone(destination);
    if (auto* other = dynamic_cast<FxaaGraphics*>(destination))
    {
        other->m_resolutionTexture = m_resolutionTexture;
    }
}

void FxaaGraphics::SetCustomUniform(Camera*, const UniformDefinition& uniform)
{
    if (uniform.m_customPurpose != kOneOverSize)
    {
        return;
    }
    MORVANE_ASSERT_NAMED(m_resolutionTexture != nullptr, "m_resolutionTexture", __LINE__);
    // In floating point: an integer division would give 0 for every real size.
    UploadVec2(uniform, {1.0f / static_cast<float>(m_resolutionTexture->GetWidth()),
                         1.0f / static_cast<float>(m_resolutionTexture->GetHeight())});
}
