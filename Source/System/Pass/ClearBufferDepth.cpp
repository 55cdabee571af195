#include "System/Pass/ClearBufferDepth.h"

#include "Graphics/OpenGL.h"
#include "Parsing/IParserData.h"

namespace Morvane::Graphics::Commands
{
bool ClearBufferDepth::Parse(const IParserData* data)
{
    m_depth = data->GetAttributeDouble("depth", 1.0);
    return true;
}

void ClearBufferDepth::Execute()
{
    // glClear obeys the depth mask: with writes off it would clear nothing.
    GLboolean writes = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &writes);
    glDepthMask(GL_TRUE);
    glClearDepth(m_depth);
    glClear(GL_DEPTH_BUFFER_BIT);
    glDepthMask(writes);
}
} // namespace Morvane::Graphics::Commands
