#include "System/Pass/SetFrameBuffer.h"

#include "Graphics/OpenGL.h"
#include "Parsing/IParserData.h"
#include "Resources/ResourceSystem.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/Pass/GlConstant.h"
#include "Texture/FrameBuffer.h"

namespace Morvane::Graphics::Commands
{
bool SetFrameBuffer::Parse(const IParserData* data)
{
    m_target = ReadGlConstant(*data, "target", GL_FRAMEBUFFER);
    const std::string name = data->GetAttribute("frameBuffer", "");
    if (name.empty())
    {
        return true;
    }
    m_frameBuffer = Resources::System::GetInstance().GetResource<FrameBuffer>(name);
    if (m_frameBuffer == nullptr)
    {
        Log::Error("SetFrameBuffer command", Format("Could not get frame buffer '%s'", name.c_str()));
        return false;
    }
    return true;
}

void SetFrameBuffer::Execute()
{
    glBindFramebuffer(m_target, m_frameBuffer != nullptr ? m_frameBuffer->GetHandle() : 0);
}
} // namespace Morvane::Graphics::Commands
