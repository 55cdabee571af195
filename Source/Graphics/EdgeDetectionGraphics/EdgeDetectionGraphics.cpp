#include "Graphics/EdgeDetectionGraphics/EdgeDetectionGraphics.h"

#include "Graphics/Camera.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/CustomPurposes/CustomUniforms.h"
#include "Graphics/GraphicsSystem.h"
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
constexpr const char* kType = "GraphicsComponent_EdgeDetection";
constexpr unsigned kDetectionUnit = 2;
} // namespace

std::string EdgeDetectionGraphics::Channel() const
{
    return Format("%s/EdgeDetectionGraphics", GetOwnerName().c_str());
}

bool EdgeDetectionGraphics::Parse(const IParserData* data)
{
    if (!Component::Parse(data))
    {
        Log::Error(Channel(), "Base could not parse");
        return false;
    }
    const std::string name = data->GetAttribute("detectionTexture", "");
    m_detectionTexture = Resources::System::GetInstance().GetResource<Texture>(name);
    if (m_detectionTexture == nullptr)
    {
        Log::Error(Channel(), Format("Could not get detection texture '%s'", name.c_str()));
    }
    m_worldCamera = Graphics::System::GetInstance().GetCamera("Camera_World");
    return true;
}

bool EdgeDetectionGraphics::Initialize()
{
    return m_detectionTexture != nullptr;
}

bool EdgeDetectionGraphics::Save(IParserData* data)
{
    IParserData* element = SaveElement(data);
    element->SetAttribute("type", kType);
    element->SetAttribute("detectionTexture",
                          m_detectionTexture != nullptr ? m_detectionTexture->GetName() : "");
    return true;
}

void EdgeDetectionGraphics::Clone(Game::Component* destination)
{
    Component::Clone(destination);
    if (auto* other = dynamic_cast<EdgeDetectionGraphics*>(destination))
    {
        other->m_detectionTexture = m_detectionTexture;
        other->m_worldCamera = m_worldCamera;
    }
}

void EdgeDetectionGraphics::SetCustomUniform(Camera*, const UniformDefinition& uniform)
{
    if (uniform.m_customPurpose == kDetectionTexture)
    {
        UploadSampler(uniform, m_detectionTexture, kDetectionUnit, "m_detectionTexture");
    }
    else if (uniform.m_customPurpose == kEdgeDetectionViewMatrix)
    {
        MORVANE_ASSERT_NAMED(m_worldCamera != nullptr, "m_worldCamera", __LINE__);
        UploadMat4(uniform, m_worldCamera->GetView());
    }
}
