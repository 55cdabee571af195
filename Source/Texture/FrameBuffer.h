#pragma once

#include "Graphics/GlObject.h"
#include "Resources/Resource.h"

#include <string>
#include <vector>

namespace Morvane::Graphics
{
class Texture;

// The "FrameBuffer" resource: an OpenGL frame buffer that draws into texture resources, one per
// distinct colour attachment, and optionally a depth texture.
//
// Parse reads the texture names and attachments (no GL call, no lookup: it may run on the load
// thread); Initialize, on the main thread, finds the textures, which must be initialised by then,
// checks that they share one size and builds the frame buffer. A failure leaves no frame buffer bound.
class FrameBuffer : public Resources::Resource
{
public:
    explicit FrameBuffer(const std::string& name) : Resource(name) {}

    bool Parse(const IParserData* definition) override;
    bool Initialize() override;
    void Release() override;

    // 0 when there is no frame buffer (draws then go to the window).
    GLuint GetHandle() const { return m_handle.Get(); }
    const std::vector<Texture*>& GetOutputTextures() const { return m_outputTextures; }
    Texture* GetDepthTexture() const { return m_depthTexture; }
    const std::vector<GLenum>& GetAttachments() const { return m_attachments; }

private:
    std::string Channel() const;
    bool FindTextures();
    bool CheckSizes() const;
    bool Fail(const char* reason);

    GlFramebuffer m_handle;
    std::string m_depthName;
    std::vector<std::string> m_outputNames;
    std::vector<Texture*> m_outputTextures;
    Texture* m_depthTexture = nullptr;
    std::vector<GLenum> m_attachments;
};
} // namespace Morvane::Graphics
