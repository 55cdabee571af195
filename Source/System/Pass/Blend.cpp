#include "System/Pass/Blend.h"

#include "Graphics/OpenGL.h"
#include "Parsing/IParserData.h"
#include "System/Pass/GlConstant.h"

namespace Morvane::Graphics::Commands
{
bool Blend::Parse(const IParserData* data)
{
    m_enabled = data->GetAttributeBool("enabled", true);
    m_equationRgb = ReadGlConstant(*data, "equationRGB", GL_FUNC_ADD);
    m_equationAlpha = ReadGlConstant(*data, "equationAlpha", GL_FUNC_ADD);
    m_sourceRgb = ReadGlConstant(*data, "sourceRGB", GL_ONE);
    m_destinationRgb = ReadGlConstant(*data, "destRGB", GL_ONE_MINUS_SRC_ALPHA);
    m_sourceAlpha = ReadGlConstant(*data, "sourceAlpha", GL_ONE);
    m_destinationAlpha = ReadGlConstant(*data, "destAlpha", GL_ZERO);
    return true;
}

void Blend::Execute()
{
    if (!m_enabled)
    {
        glDisable(GL_BLEND);
        return;
    }
    glEnable(GL_BLEND);
    glBlendEquationSeparate(m_equationRgb, m_equationAlpha);
    glBlendFuncSeparate(m_sourceRgb, m_destinationRgb, m_sourceAlpha, m_destinationAlpha);
}
} // namespace Morvane::Graphics::Commands
