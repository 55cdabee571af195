#include "System/Pass/ClearBufferColor.h"

#include "Graphics/OpenGL.h"
#include "Parsing/IParserData.h"
#include "Parsing/ParserDataUtilities/ParserDataUtilities.h"

namespace Morvane::Graphics::Commands
{
bool ClearBufferColor::Parse(const IParserData* data)
{
    m_color = ParserDataUtilities::ToVec4(data->GetAttribute("color", "0;0;0;1"));
    return true;
}

void ClearBufferColor::Execute()
{
    glClearColor(m_color.r, m_color.g, m_color.b, m_color.a);
    glClear(GL_COLOR_BUFFER_BIT);
}
} // namespace Morvane::Graphics::Commands
