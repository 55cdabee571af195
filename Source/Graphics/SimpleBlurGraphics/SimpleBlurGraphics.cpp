#include "Graphics/SimpleBlurGraphics/SimpleBlurGraphics.h"

#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/CustomPurposes/CustomUniforms.h"
#include "Graphics/OpenGL.h"
#include "Parsing/IParserData.h"
#include "Shader/UniformDefinition.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

using namespace Morvane;
using namespace Morvane::Graphics;

namespace
{
constexpr const char* kType = "GraphicsComponent_SimpleBlur";
} // namespace

std::string SimpleBlurGraphics::Channel() const
{
    return Format("%s/SimpleBlur", GetOwnerName().c_str());
}

bool SimpleBlurGraphics::Parse(const IParserData* data)
{
    if (!Component::Parse(data))
    {
        Log::Error(Channel(), "Base could not parse");
        return false;
    }
    m_blurSize = data->GetAttributeInt("blurSize", 0);
    return true;
}

bool SimpleBlurGraphics::Save(IParserData* data)
{
    IParserData* element = SaveElement(data);
    element->SetAttribute("type", kType);
    element->SetAttributeInt("blurSize", m_blurSize);
    return true;
}

void SimpleBlurGraphics::Clone(Game::Component* destination)
{
    Component::Clone(destination);
    if (auto* other = dynamic_cast<SimpleBlurGraphics*>(destination))
    {
        other->m_blurSize = m_blurSize;
    }
}

void SimpleBlurGraphics::SetCustomUniform(Camera*, const UniformDefinition& uniform)
{
    if (uniform.m_customPurpose == kBlurSize)
    {
        MORVANE_ASSERT_NAMED(uniform.m_type == GL_INT, "currentUniform.m_type == GL_INT", __LINE__);
        glUniform1i(uniform.m_location, m_blurSize);
    }
    else if (uniform.m_customPurpose == kOneOverSize)
    {
        UploadOneOverScale(uniform, GetTransform(), Channel(), m_zeroScaleWarned);
    }
}
