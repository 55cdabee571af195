#pragma once

#include "Files/OwnedWatches.h"
#include "Graphics/GlObject.h"
#include "Parsing/IParseable.h"
#include "Resources/Resource.h"
#include "Texture/TexelImage.h"

#include <cstddef>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
// The "Texture" resource: one 2D OpenGL texture, loaded from a PNG file, from colour data written as
// the element's inner text (what Save writes), or made empty with a size and formats (render targets).
// The texels stay on the CPU as four floats each, rows bottom-up, exactly as read: premultiplying the
// alpha happens on the copy that is uploaded, so rebuilds and Save never see premultiplied data.
//
// Parse reads the description and the image and makes no GL call (the load thread may run it);
// Initialize, Release, Bind and the setters need the context (main thread).
//
// A texture read from a PNG watches the file once initialised: when it was rewritten (F9) the new
// picture goes into the same GL texture, whatever its size (the storage is mutable), so everything
// that holds the texture's name sees it; a file that cannot be read leaves the picture as it was.
class Texture : public Resources::Resource, public IParseable
{
public:
    explicit Texture(const std::string& name) : Resource(name), m_watches("Texture:" + name) {}

    bool Parse(const IParserData* definition) override;
    // Writes the formats, filters, size, flags and the colour data as inner text ("path" is not written).
    bool Save(IParserData* data) override;
    bool Initialize() override;
    void Release() override;

    void Bind(unsigned unit) const;
    // What OpenGL keeps for the first level, from the sizes it reports (texels times the bits of
    // every component); 0 before the texture is made.
    std::size_t GetStoredBytes() const;

    GLuint GetHandle() const { return m_textureHandle.Get(); }
    unsigned GetWidth() const { return m_width; }
    unsigned GetHeight() const { return m_height; }
    GLenum GetInternalFormat() const { return m_internalFormat; }
    GLenum GetFormat() const { return m_format; }
    GLenum GetColorDataType() const { return m_colorDataType; }
    GLenum GetMagFilter() const { return m_magFilter; }
    GLenum GetMinFilter() const { return m_minFilter; }
    GLenum GetWrapMode() const { return m_wrapMode; }
    bool HasMipMap() const { return m_mipMap; }
    bool PremultipliesAlpha() const { return m_premultiplyAlpha; }
    const std::vector<float>& GetColorData() const { return m_colorData; }
    const std::string& GetPath() const { return m_path; }

    // Each stores its value and, when the GL texture exists, rebuilds it (with a warning).
    void SetInternalFormat(GLenum format);
    void SetFormat(GLenum format);
    void SetMagFilter(GLenum filter);
    void SetMinFilter(GLenum filter);
    // Does nothing when the mode is unchanged.
    void SetWrapMode(GLenum mode);
    void SetMipMap(bool on);
    // Four floats per texel, rows bottom-up; `width` x `height` texels.
    void SetColorData(std::vector<float> texels, unsigned width, unsigned height);
    void SetSize(unsigned width, unsigned height);
    // Always warns and rebuilds.
    void Rebuild();

private:
    std::string Channel() const;
    bool ReadAttributes(const IParserData& definition);
    bool ReadInnerText(const std::string& text);
    bool LoadImage(const std::string& path);
    // Reads and decodes the PNG at the expanded `path`; false, logged, when it cannot.
    bool ReadImage(const std::string& path, TexelImage& image) const;
    void Watch();
    void Reload(const std::string& changed);
    // Into the texture's own name, made when there is none yet.
    bool Upload();
    void ApplyParameters();
    void RebuildIfMade();

    GlTexture m_textureHandle;
    bool m_mipMap = false;
    GLenum m_magFilter = GL_LINEAR;
    GLenum m_minFilter = GL_LINEAR;
    GLenum m_wrapMode = GL_CLAMP_TO_EDGE;
    unsigned m_width = 0;
    unsigned m_height = 0;
    GLenum m_internalFormat = GL_RGBA8;
    GLenum m_format = GL_RGBA;
    GLenum m_colorDataType = GL_FLOAT;
    std::vector<float> m_colorData;
    std::string m_path;
    bool m_premultiplyAlpha = false;
    // Last: gone before anything its callbacks touch.
    Files::OwnedWatches m_watches;
};
} // namespace Morvane::Graphics
