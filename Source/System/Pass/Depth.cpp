#include "System/Pass/Depth.h"

#include "Graphics/OpenGL.h"
#include "Parsing/IParserData.h"
#include "System/Pass/GlConstant.h"

namespace Morvane::Graphics::Commands
{
bool Depth::Parse(const IParserData* data)
{
    m_enabled = data->GetAttributeBool("enabled", true);
    m_function = ReadGlConstant(*data, "depthFunction", GL_LESS);
    m_write = data->GetAttributeBool("write", true);
    return true;
}

void Depth::Execute()
{
    if (m_enabled)
    {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(m_function);
    }
    else
    {
        glDisable(GL_DEPTH_TEST);
    }
    glDepthMask(m_write ? GL_TRUE : GL_FALSE);
}
} // namespace Morvane::Graphics::Commands
