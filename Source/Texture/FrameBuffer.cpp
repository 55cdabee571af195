#include "Texture/FrameBuffer.h"

#include "ConstantManager/ConstantManager.h"
#include "Graphics/GlNames.h"
#include "Parsing/IParserData.h"
#include "Resources/ResourceSystem.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "Texture/Texture.h"

#include <algorithm>

namespace Morvane::Graphics
{
namespace
{
// GL 4.5 guarantees at least eight colour attachments.
constexpr GLenum kColourAttachmentCount = 8;

const GlName kStatuses[] = {
    MORVANE_GL_NAME(GL_FRAMEBUFFER_UNDEFINED),
    MORVANE_GL_NAME(GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT),
    MORVANE_GL_NAME(GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT),
    MORVANE_GL_NAME(GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER),
    MORVANE_GL_NAME(GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER),
    MORVANE_GL_NAME(GL_FRAMEBUFFER_UNSUPPORTED),
    MORVANE_GL_NAME(GL_FRAMEBUFFER_INCOMPLETE_MULTISAMPLE),
    MORVANE_GL_NAME(GL_FRAMEBUFFER_INCOMPLETE_LAYER_TARGETS),
};

bool IsColourAttachment(int value)
{
    return value >= static_cast<int>(GL_COLOR_ATTACHMENT0) &&
           value < static_cast<int>(GL_COLOR_ATTACHMENT0 + kColourAttachmentCount);
}
} // namespace

std::string FrameBuffer::Channel() const
{
    return Format("FrameBuffer '%s'", GetName().c_str());
}

bool FrameBuffer::Parse(const IParserData* definition)
{
    m_depthName = definition->GetAttribute("depthAttachment", "");
    m_outputNames.clear();
    m_attachments.clear();
    for (const IParserData* child = definition->GetFirstChild(); child != nullptr;
         child = child->GetNextSibling())
    {
        const std::string element = child->GetName();
        if (element != "Output")
        {
            Log::Warning(Channel(), Format("Unknown parser element '%s'", element.c_str()));
            continue;
        }
        const std::string texture = child->GetAttribute("texture", "");
        const std::string attachment = child->GetAttribute("attachment", "");
        if (attachment.empty())
        {
            Log::Error(Channel(),
                       Format("Framebuffer texture target '%s' has no attachment", texture.c_str()));
            return false;
        }
        const int value = ConstantManager::GetInstance().GetConstant("OpenGL", attachment, -1);
        // Only colour attachments can be draw buffers, and each only once: GL refuses the draw-buffer
        // list otherwise while the status still reads complete.
        if (!IsColourAttachment(value))
        {
            Log::Error(Channel(), Format("Framebuffer texture target '%s' has incorrect attachment '%s'",
                                         texture.c_str(), attachment.c_str()));
            return false;
        }
        if (std::ranges::find(m_attachments, static_cast<GLenum>(value)) != m_attachments.end())
        {
            Log::Error(Channel(), Format("Framebuffer texture target '%s' repeats attachment '%s'",
                                         texture.c_str(), attachment.c_str()));
            return false;
        }
        m_outputNames.push_back(texture);
        m_attachments.push_back(static_cast<GLenum>(value));
    }
    return true;
}

bool FrameBuffer::FindTextures()
{
    Resources::System& resources = Resources::System::GetInstance();
    m_outputTextures.clear();
    m_depthTexture = nullptr;
    if (!m_depthName.empty())
    {
        m_depthTexture = resources.GetResource<Texture>(m_depthName);
        if (m_depthTexture == nullptr || m_depthTexture->GetHandle() == 0)
        {
            Log::Error(Channel(), Format("Could not find depth texture '%s'", m_depthName.c_str()));
            return false;
        }
    }
    for (const std::string& name : m_outputNames)
    {
        Texture* texture = resources.GetResource<Texture>(name);
        if (texture == nullptr || texture->GetHandle() == 0)
        {
            Log::Error(Channel(), Format("Could not find texture '%s'", name.c_str()));
            return false;
        }
        m_outputTextures.push_back(texture);
    }
    return true;
}

bool FrameBuffer::CheckSizes() const
{
    // GL 4 calls attachments of different sizes complete and draws into their common part only.
    std::vector<const Texture*> textures(m_outputTextures.begin(), m_outputTextures.end());
    if (m_depthTexture != nullptr)
    {
        textures.push_back(m_depthTexture);
    }
    const Texture* first = textures.front();
    for (const Texture* texture : textures)
    {
        if (texture->GetWidth() != first->GetWidth() || texture->GetHeight() != first->GetHeight())
        {
            Log::Error(Channel(),
                       Format("Texture '%s' is %u x %u, texture '%s' %u x %u", texture->GetName().c_str(),
                              texture->GetWidth(), texture->GetHeight(), first->GetName().c_str(),
                              first->GetWidth(), first->GetHeight()));
            return false;
        }
    }
    return true;
}

bool FrameBuffer::Fail(const char* reason)
{
    Log::Error(Channel(), reason);
    Release();
    return false;
}

bool FrameBuffer::Initialize()
{
    Release();
    if (m_outputNames.empty())
    {
        return Fail("No binded textures");
    }
    if (m_attachments.empty())
    {
        return Fail("No texture attachments");
    }
    if (m_attachments.size() != m_outputNames.size())
    {
        return Fail("Attachment count and texture count does not match");
    }
    if (!FindTextures())
    {
        Release();
        return false;
    }
    if (!CheckSizes())
    {
        Log::Error(Channel(), "Could not set frame buffer");
        return Fail("Failed to set the draw buffers");
    }

    m_handle = GlFramebuffer::Create();
    glBindFramebuffer(GL_FRAMEBUFFER, m_handle.Get());
    for (std::size_t output = 0; output < m_outputTextures.size(); ++output)
    {
        glFramebufferTexture2D(GL_FRAMEBUFFER, m_attachments[output], GL_TEXTURE_2D,
                               m_outputTextures[output]->GetHandle(), 0);
    }
    if (m_depthTexture != nullptr)
    {
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D,
                               m_depthTexture->GetHandle(), 0);
    }
    glDrawBuffers(static_cast<GLsizei>(m_attachments.size()), m_attachments.data());
    const GLenum status = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (status != GL_FRAMEBUFFER_COMPLETE)
    {
        Log::Error(Channel(), "Could not set frame buffer");
        Log::Error(Channel(), Format("Status %s", NameOf(kStatuses, status, "unknown").c_str()));
        return Fail("Failed to set the draw buffers");
    }
    SetInitialized(true);
    return true;
}

void FrameBuffer::Release()
{
    m_handle.Reset();
    SetInitialized(false);
}
} // namespace Morvane::Graphics
