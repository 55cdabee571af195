#include "System/Pass/CullFace.h"

#include "Graphics/OpenGL.h"
#include "Parsing/IParserData.h"
#include "System/Pass/GlConstant.h"

namespace Morvane::Graphics::Commands
{
bool CullFace::Parse(const IParserData* data)
{
    m_enabled = data->GetAttributeBool("enabled", true);
    m_mode = ReadGlConstant(*data, "cullMode", GL_BACK);
    return true;
}

void CullFace::Execute()
{
    if (m_enabled)
    {
        glEnable(GL_CULL_FACE);
        glCullFace(m_mode);
    }
    else
    {
        glDisable(GL_CULL_FACE);
    }
}
} // namespace Morvane::Graphics::Commands
