#include "Graphics/GaussGraphics/GaussGraphics.h"

#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/CustomPurposes/CustomUniforms.h"
#include "Graphics/OpenGL.h"
#include "Parsing/IParserData.h"
#include "Shader/UniformDefinition.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <cmath>
#include <numbers>

using namespace Morvane;
using namespace Morvane::Graphics;

namespace
{
constexpr const char* kType = "GraphicsComponent_Gauss";

void UploadFloats(const UniformDefinition& uniform, const float* values, std::size_t count)
{
    MORVANE_ASSERT_NAMED(uniform.m_type == GL_FLOAT, "currentUniform.m_type == GL_FLOAT", __LINE__);
    glUniform1fv(uniform.m_location,
                 static_cast<GLsizei>(std::min<std::size_t>(count, static_cast<std::size_t>(uniform.m_size))),
                 values);
}
} // namespace

std::string GaussGraphics::Channel() const
{
    return Format("%s/GaussGraphics", GetOwnerName().c_str());
}

bool GaussGraphics::Parse(const IParserData* data)
{
    if (!Component::Parse(data))
    {
        Log::Error(Channel(), "Base could not parse");
        return false;
    }
    return true;
}

bool GaussGraphics::Initialize()
{
    const float normal = std::sqrt(2.0f * std::numbers::pi_v<float>);
    for (std::size_t tap = 0; tap < kWeightCount; ++tap)
    {
        const float distance = static_cast<float>(tap) / m_sigma;
        m_weights[tap] = std::exp(-0.5f * distance * distance) / (normal * m_sigma);
    }
    // The centre is applied once and the seven others on both sides: that is what must add up to 1.
    float sum = m_weights[0];
    for (std::size_t tap = 1; tap < kWeightCount; ++tap)
    {
        sum += 2.0f * m_weights[tap];
    }
    for (float& weight : m_weights)
    {
        weight /= sum;
    }
    for (std::size_t offset = 0; offset < kOffsetCount; ++offset)
    {
        m_pixelOffsets[offset] = 2.0f * static_cast<float>(offset);
    }
    return true;
}

bool GaussGraphics::Save(IParserData* data)
{
    SaveElement(data)->SetAttribute("type", kType);
    return true;
}

void GaussGraphics::Clone(Game::Component* destination)
{
    Component::Clone(destination);
    if (auto* other = dynamic_cast<GaussGraphics*>(destination))
    {
        other->m_weights = m_weights;
        other->m_pixelOffsets = m_pixelOffsets;
        other->m_sigma = m_sigma;
    }
}

void GaussGraphics::SetCustomUniform(Camera*, const UniformDefinition& uniform)
{
    switch (uniform.m_customPurpose)
    {
    case kGaussianWeights:
        UploadFloats(uniform, m_weights.data(), m_weights.size());
        break;
    case kGaussianPixelOffsets:
        UploadFloats(uniform, m_pixelOffsets.data(), m_pixelOffsets.size());
        break;
    case kOneOverSize:
        UploadOneOverScale(uniform, GetTransform(), Channel(), m_zeroScaleWarned);
        break;
    default:
        break;
    }
}
