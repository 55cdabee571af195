#include "Texture/Texture.h"

#include "ConstantManager/ConstantManager.h"
#include "Graphics/GlNames.h"
#include "Parsing/IParserData.h"
#include "Renderable/NumberList.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/PathWrapper/PathWrapper.h"
#include "Texture/PngImage.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <lodepng.h>

namespace Morvane::Graphics
{
namespace
{
constexpr std::size_t kFloatsPerTexel = 4;

const GlName kFilters[] = {
    MORVANE_GL_NAME(GL_LINEAR),
    MORVANE_GL_NAME(GL_NEAREST),
    MORVANE_GL_NAME(GL_NEAREST_MIPMAP_NEAREST),
    MORVANE_GL_NAME(GL_LINEAR_MIPMAP_LINEAR),
    MORVANE_GL_NAME(GL_NEAREST_MIPMAP_LINEAR),
    MORVANE_GL_NAME(GL_LINEAR_MIPMAP_NEAREST),
};

const GlName kFormats[] = {
    MORVANE_GL_NAME(GL_RED),  MORVANE_GL_NAME(GL_RGB),
    MORVANE_GL_NAME(GL_RGBA), MORVANE_GL_NAME(GL_DEPTH_COMPONENT),
    MORVANE_GL_NAME(GL_RG),   MORVANE_GL_NAME(GL_DEPTH_STENCIL),
};

const GlName kInternalFormats[] = {
    MORVANE_GL_NAME(GL_R3_G3_B2),
    MORVANE_GL_NAME(GL_RGB4),
    MORVANE_GL_NAME(GL_RGB5),
    MORVANE_GL_NAME(GL_RGB8),
    MORVANE_GL_NAME(GL_RGB10),
    MORVANE_GL_NAME(GL_RGB12),
    MORVANE_GL_NAME(GL_RGBA2),
    MORVANE_GL_NAME(GL_RGBA4),
    MORVANE_GL_NAME(GL_RGB5_A1),
    MORVANE_GL_NAME(GL_RGBA8),
    MORVANE_GL_NAME(GL_RGB10_A2),
    MORVANE_GL_NAME(GL_RGBA12),
    MORVANE_GL_NAME(GL_RGBA16),
    MORVANE_GL_NAME(GL_COMPRESSED_RED),
    MORVANE_GL_NAME(GL_R8),
    MORVANE_GL_NAME(GL_R16),
    MORVANE_GL_NAME(GL_RG8),
    MORVANE_GL_NAME(GL_RG16),
    MORVANE_GL_NAME(GL_R16F),
    MORVANE_GL_NAME(GL_RG16F),
    MORVANE_GL_NAME(GL_R32F),
    MORVANE_GL_NAME(GL_RG32F),
    MORVANE_GL_NAME(GL_R8I),
    MORVANE_GL_NAME(GL_R8UI),
    MORVANE_GL_NAME(GL_R16I),
    MORVANE_GL_NAME(GL_R16UI),
    MORVANE_GL_NAME(GL_R32I),
    MORVANE_GL_NAME(GL_R32UI),
    MORVANE_GL_NAME(GL_RG8I),
    MORVANE_GL_NAME(GL_RG8UI),
    MORVANE_GL_NAME(GL_RG16I),
    MORVANE_GL_NAME(GL_RG16UI),
    MORVANE_GL_NAME(GL_RG32I),
    MORVANE_GL_NAME(GL_RG32UI),
    MORVANE_GL_NAME(GL_COMPRESSED_RG),
    MORVANE_GL_NAME(GL_COMPRESSED_RGB),
    MORVANE_GL_NAME(GL_COMPRESSED_RGBA),
    MORVANE_GL_NAME(GL_RGBA32F),
    MORVANE_GL_NAME(GL_RGBA16F),
    MORVANE_GL_NAME(GL_RGB32F),
    MORVANE_GL_NAME(GL_RGB16F),
    MORVANE_GL_NAME(GL_R11F_G11F_B10F),
    MORVANE_GL_NAME(GL_RGB9_E5),
    MORVANE_GL_NAME(GL_SRGB8),
    MORVANE_GL_NAME(GL_SRGB8_ALPHA8),
    MORVANE_GL_NAME(GL_COMPRESSED_SRGB),
    MORVANE_GL_NAME(GL_COMPRESSED_SRGB_ALPHA),
    MORVANE_GL_NAME(GL_RGBA32UI),
    MORVANE_GL_NAME(GL_RGB8I),
    MORVANE_GL_NAME(GL_RGB8UI),
    MORVANE_GL_NAME(GL_RGB16I),
    MORVANE_GL_NAME(GL_RGB16UI),
    MORVANE_GL_NAME(GL_RGB32I),
    MORVANE_GL_NAME(GL_RGB32UI),
    MORVANE_GL_NAME(GL_RGBA8I),
    MORVANE_GL_NAME(GL_RGBA8UI),
    MORVANE_GL_NAME(GL_RGBA16I),
    MORVANE_GL_NAME(GL_RGBA16UI),
    MORVANE_GL_NAME(GL_RGBA32I),
    MORVANE_GL_NAME(GL_COMPRESSED_RED_RGTC1),
    MORVANE_GL_NAME(GL_COMPRESSED_SIGNED_RED_RGTC1),
    MORVANE_GL_NAME(GL_COMPRESSED_RG_RGTC2),
    MORVANE_GL_NAME(GL_COMPRESSED_SIGNED_RG_RGTC2),
    MORVANE_GL_NAME(GL_COMPRESSED_RGBA_BPTC_UNORM),
    MORVANE_GL_NAME(GL_COMPRESSED_RGB_BPTC_UNSIGNED_FLOAT),
    MORVANE_GL_NAME(GL_COMPRESSED_RGB_BPTC_SIGNED_FLOAT),
    MORVANE_GL_NAME(GL_COMPRESSED_SRGB_ALPHA_BPTC_UNORM),
    MORVANE_GL_NAME(GL_R8_SNORM),
    MORVANE_GL_NAME(GL_R16_SNORM),
    MORVANE_GL_NAME(GL_RG8_SNORM),
    MORVANE_GL_NAME(GL_RG16_SNORM),
    MORVANE_GL_NAME(GL_RGB8_SNORM),
    MORVANE_GL_NAME(GL_RGB16_SNORM),
    MORVANE_GL_NAME(GL_RGBA8_SNORM),
    MORVANE_GL_NAME(GL_RGB10_A2UI),
};

const GlName kWrapModes[] = {
    MORVANE_GL_NAME(GL_REPEAT),
    MORVANE_GL_NAME(GL_CLAMP_TO_BORDER),
    MORVANE_GL_NAME(GL_MIRRORED_REPEAT),
    MORVANE_GL_NAME(GL_CLAMP_TO_EDGE),
};

const GlName kColorDataTypes[] = {
    MORVANE_GL_NAME(GL_UNSIGNED_BYTE),
    MORVANE_GL_NAME(GL_BYTE),
    MORVANE_GL_NAME(GL_UNSIGNED_SHORT),
    MORVANE_GL_NAME(GL_SHORT),
    MORVANE_GL_NAME(GL_UNSIGNED_INT),
    MORVANE_GL_NAME(GL_INT),
    MORVANE_GL_NAME(GL_FLOAT),
    MORVANE_GL_NAME(GL_UNSIGNED_BYTE_3_3_2),
    MORVANE_GL_NAME(GL_UNSIGNED_SHORT_4_4_4_4),
    MORVANE_GL_NAME(GL_UNSIGNED_SHORT_5_5_5_1),
    MORVANE_GL_NAME(GL_UNSIGNED_INT_8_8_8_8),
    MORVANE_GL_NAME(GL_UNSIGNED_INT_10_10_10_2),
    MORVANE_GL_NAME(GL_UNSIGNED_BYTE_2_3_3_REV),
    MORVANE_GL_NAME(GL_UNSIGNED_SHORT_5_6_5),
    MORVANE_GL_NAME(GL_UNSIGNED_SHORT_5_6_5_REV),
    MORVANE_GL_NAME(GL_UNSIGNED_SHORT_4_4_4_4_REV),
    MORVANE_GL_NAME(GL_UNSIGNED_SHORT_1_5_5_5_REV),
    MORVANE_GL_NAME(GL_UNSIGNED_INT_8_8_8_8_REV),
    MORVANE_GL_NAME(GL_UNSIGNED_INT_2_10_10_10_REV),
};

bool IsMipmapFilter(GLenum filter)
{
    return filter == GL_NEAREST_MIPMAP_NEAREST || filter == GL_LINEAR_MIPMAP_NEAREST ||
           filter == GL_NEAREST_MIPMAP_LINEAR || filter == GL_LINEAR_MIPMAP_LINEAR;
}

// One GL-name attribute of a description; false (logged) for a name the "OpenGL" constants lack.
bool ReadGlName(const IParserData& data, const std::string& channel, const char* attribute,
                const char* fallback, GLenum& value)
{
    const std::string name = data.GetAttribute(attribute, fallback);
    const int constant = ConstantManager::GetInstance().GetConstant("OpenGL", name, -1);
    if (constant < 0)
    {
        Log::Error(channel, Format("Unknown GL name '%s' for '%s'", name.c_str(), attribute));
        return false;
    }
    value = static_cast<GLenum>(constant);
    return true;
}

bool HasText(const std::string& text)
{
    return std::ranges::any_of(text, [](char character)
                               { return std::isspace(static_cast<unsigned char>(character)) == 0; });
}
} // namespace

std::string Texture::Channel() const
{
    return Format("Texture '%s'", GetName().c_str());
}

bool Texture::Parse(const IParserData* definition)
{
    MORVANE_ASSERT_NAMED(definition != nullptr, "parserData", __LINE__);
    m_colorData.clear();
    m_path.clear();
    if (!ReadAttributes(*definition))
    {
        return false;
    }
    const std::string text = definition->GetInnerText();
    if (HasText(text))
    {
        return ReadInnerText(text);
    }
    const std::string path = definition->GetAttribute("path", "");
    if (path.empty())
    {
        return true;
    }
    if (!LoadImage(path))
    {
        return false;
    }
    m_path = path;
    return true;
}

bool Texture::ReadAttributes(const IParserData& definition)
{
    const std::string channel = Channel();
    if (!ReadGlName(definition, channel, "mag", "GL_LINEAR", m_magFilter) ||
        !ReadGlName(definition, channel, "min", "GL_LINEAR", m_minFilter) ||
        !ReadGlName(definition, channel, "textureFormat", "GL_RGBA", m_format) ||
        !ReadGlName(definition, channel, "textureFormatInternal", "GL_RGBA8", m_internalFormat) ||
        !ReadGlName(definition, channel, "wrapMode", "GL_CLAMP_TO_EDGE", m_wrapMode) ||
        !ReadGlName(definition, channel, "colorDataType", "GL_FLOAT", m_colorDataType))
    {
        return false;
    }
    const int width = definition.GetAttributeInt("width", 0);
    const int height = definition.GetAttributeInt("height", 0);
    if (width < 0 || height < 0)
    {
        Log::Error(channel, Format("Unvalid texture size %d x %d", width, height));
        return false;
    }
    m_width = static_cast<unsigned>(width);
    m_height = static_cast<unsigned>(height);
    m_mipMap = definition.GetAttributeBool("mipMap", false);
    m_premultiplyAlpha = definition.GetAttributeBool("premultiplyAlpha", false);
    return true;
}

bool Texture::ReadInnerText(const std::string& text)
{
    std::vector<float> texels;
    std::string bad;
    if (!AppendFloats(text, texels, bad))
    {
        Log::Error(Channel(), Format("Could not read color value '%s'", bad.c_str()));
        return false;
    }
    const std::size_t expected = std::size_t{m_width} * m_height * kFloatsPerTexel;
    if (texels.size() != expected)
    {
        Log::Error(Channel(), Format("There are %zu color values for %u x %u texels, %zu expected",
                                     texels.size(), m_width, m_height, expected));
        return false;
    }
    m_colorData = std::move(texels);
    return true;
}

bool Texture::LoadImage(const std::string& path)
{
    const std::string expanded = PathWrapper::GetInstance().Expand(path);
    const std::size_t dot = expanded.rfind('.');
    const std::size_t slash = expanded.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    {
        Log::Warning(Channel(), "Image without extension, unknown format");
        return false;
    }
    std::string extension = expanded.substr(dot + 1);
    std::ranges::transform(extension, extension.begin(),
                           [](char character) {
                               return static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
                           });
    if (extension != "PNG")
    {
        Log::Error(Channel(), Format("Unknown image format: '%s'", extension.c_str()));
        return false;
    }

    TexelImage image;
    if (!ReadImage(expanded, image))
    {
        return false;
    }
    m_width = image.width;
    m_height = image.height;
    m_colorData = std::move(image.texels);
    return true;
}

bool Texture::ReadImage(const std::string& path, TexelImage& image) const
{
    std::vector<unsigned char> bytes;
    // lodepng would take a folder for a file of unknown size.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored) || lodepng::load_file(bytes, path) != 0 || bytes.empty())
    {
        Log::Error(Channel(), Format("Could not load image '%s'", path.c_str()));
        Log::Error(Channel(), Format("Could not load PNG [%s]", path.c_str()));
        return false;
    }
    std::string problem;
    if (!DecodePng(bytes, image, problem))
    {
        Log::Error(Channel(), "PNG: Could not load the image properly");
        Log::Error(Channel(), Format("PNG: %s", problem.c_str()));
        Log::Error(Channel(), Format("Could not load PNG [%s]", path.c_str()));
        return false;
    }
    if (image.texels.empty())
    {
        Log::Error(Channel(), "Empty texture");
        return false;
    }
    return true;
}

bool Texture::Save(IParserData* data)
{
    data->SetAttribute("mag", NameOf(kFilters, m_magFilter, "GL_LINEAR"));
    data->SetAttribute("min", NameOf(kFilters, m_minFilter, "GL_LINEAR"));
    data->SetAttribute("textureFormat", NameOf(kFormats, m_format, "GL_RGBA"));
    data->SetAttribute("textureFormatInternal", NameOf(kInternalFormats, m_internalFormat, "GL_RGBA8"));
    data->SetAttribute("wrapMode", NameOf(kWrapModes, m_wrapMode, "GL_CLAMP_TO_EDGE"));
    data->SetAttribute("colorDataType", NameOf(kColorDataTypes, m_colorDataType, "GL_FLOAT"));
    data->SetAttributeInt("width", static_cast<int>(m_width));
    data->SetAttributeInt("height", static_cast<int>(m_height));
    data->SetAttributeBool("mipMap", m_mipMap);
    data->SetAttributeBool("premultiplyAlpha", m_premultiplyAlpha);
    if (m_colorData.empty())
    {
        Log::Error(Channel(), "Could not save texture because no color data");
        return false;
    }
    std::string text;
    text.reserve(m_colorData.size() * 9);
    char number[32];
    for (const float value : m_colorData)
    {
        const int length = std::snprintf(number, sizeof(number), "%f ", static_cast<double>(value));
        text.append(number, static_cast<std::size_t>(std::max(length, 0)));
    }
    data->SetInnerText(text);
    return true;
}

bool Texture::Initialize()
{
    m_textureHandle.Reset();
    SetInitialized(false);
    if (m_width == 0 || m_height == 0)
    {
        Log::Error(Channel(), "Non sized texture");
        return false;
    }
    if (!Upload())
    {
        Release();
        return false;
    }
    ApplyParameters();
    Watch();
    SetInitialized(true);
    return true;
}

void Texture::Watch()
{
    // A rebuild keeps the watch it has; a texture read from elsewhere since watches the new file.
    const std::string file = m_path.empty() ? "" : PathWrapper::GetInstance().Expand(m_path);
    if (!file.empty() && m_watches.Watches(file))
    {
        return;
    }
    m_watches.Clear();
    if (!file.empty())
    {
        m_watches.Add(file, [this](const std::string& changed) { Reload(changed); });
    }
}

void Texture::Reload(const std::string& changed)
{
    TexelImage image;
    if (!ReadImage(changed, image))
    {
        Log::Error(Channel(), Format("Could not reload '%s'; the previous version stays", changed.c_str()));
        return;
    }
    std::swap(m_width, image.width);
    std::swap(m_height, image.height);
    std::swap(m_colorData, image.texels);
    // A refused upload leaves OpenGL's texture as it was: so must the CPU copy be.
    if (!Upload())
    {
        m_width = image.width;
        m_height = image.height;
        m_colorData = std::move(image.texels);
        Log::Error(Channel(), Format("Could not reload '%s'; the previous version stays", changed.c_str()));
        return;
    }
    ApplyParameters();
    Log::Info(Channel(), Format("Reloaded '%s'", changed.c_str()));
}

bool Texture::Upload()
{
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (m_width > static_cast<unsigned>(maxSize) || m_height > static_cast<unsigned>(maxSize))
    {
        Log::Error(Channel(),
                   Format("A texture of %u x %u is larger than OpenGL's %d", m_width, m_height, maxSize));
        return false;
    }
    const std::size_t expected = std::size_t{m_width} * m_height * kFloatsPerTexel;
    if (!m_colorData.empty() && m_colorData.size() != expected)
    {
        Log::Error(Channel(), Format("There are %zu color values for %u x %u texels, %zu expected",
                                     m_colorData.size(), m_width, m_height, expected));
        return false;
    }
    std::vector<float> premultiplied;
    const float* texels = m_colorData.empty() ? nullptr : m_colorData.data();
    if (m_premultiplyAlpha && texels != nullptr)
    {
        premultiplied = m_colorData;
        for (std::size_t at = 0; at < premultiplied.size(); at += kFloatsPerTexel)
        {
            premultiplied[at] *= premultiplied[at + 3];
            premultiplied[at + 1] *= premultiplied[at + 3];
            premultiplied[at + 2] *= premultiplied[at + 3];
        }
        texels = premultiplied.data();
    }
    // Whatever the description says about its data, the CPU texels are RGBA floats; the described
    // format and type only matter for empty textures.
    const GLenum format = texels != nullptr ? GL_RGBA : m_format;
    const GLenum type = texels != nullptr ? GL_FLOAT : m_colorDataType;

    glGetError();
    if (m_textureHandle.Get() == 0)
    {
        m_textureHandle = GlTexture::Create();
    }
    glBindTexture(GL_TEXTURE_2D, m_textureHandle.Get());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(m_internalFormat), static_cast<GLsizei>(m_width),
                 static_cast<GLsizei>(m_height), 0, format, type, texels);
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR)
    {
        Log::Error(Channel(), Format("OpenGL refused the texture (error 0x%04X)", error));
        glBindTexture(GL_TEXTURE_2D, 0);
        return false;
    }
    return true;
}

void Texture::ApplyParameters()
{
    if (IsMipmapFilter(m_magFilter))
    {
        Log::Warning(Channel(), "Mag filter cannot use mipmap. Better option is GL_LINEAR");
        m_magFilter = GL_LINEAR;
    }
    if (!m_mipMap && IsMipmapFilter(m_minFilter))
    {
        Log::Warning(Channel(), "Min filter tried to use mipmap without explicitly saying so");
        m_minFilter = GL_LINEAR;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(m_minFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(m_magFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(m_wrapMode));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(m_wrapMode));
    if (m_format == GL_DEPTH_COMPONENT)
    {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_NONE);
    }
    if (m_mipMap)
    {
        glGenerateMipmap(GL_TEXTURE_2D);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

void Texture::Release()
{
    m_watches.Clear();
    m_textureHandle.Reset();
    SetInitialized(false);
}

std::size_t Texture::GetStoredBytes() const
{
    const GLuint handle = m_textureHandle.Get();
    if (handle == 0)
    {
        return 0;
    }
    GLint width = 0;
    GLint height = 0;
    glGetTextureLevelParameteriv(handle, 0, GL_TEXTURE_WIDTH, &width);
    glGetTextureLevelParameteriv(handle, 0, GL_TEXTURE_HEIGHT, &height);
    GLint bits = 0;
    for (const GLenum component : {GL_TEXTURE_RED_SIZE, GL_TEXTURE_GREEN_SIZE, GL_TEXTURE_BLUE_SIZE,
                                   GL_TEXTURE_ALPHA_SIZE, GL_TEXTURE_DEPTH_SIZE, GL_TEXTURE_STENCIL_SIZE})
    {
        GLint size = 0;
        glGetTextureLevelParameteriv(handle, 0, component, &size);
        bits += size;
    }
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
           static_cast<std::size_t>(bits) / 8;
}

void Texture::Bind(unsigned unit) const
{
    MORVANE_ASSERT_NAMED(m_textureHandle.Get() != 0, "m_textureHandle", __LINE__);
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, m_textureHandle.Get());
}

void Texture::RebuildIfMade()
{
    if (m_textureHandle.Get() != 0)
    {
        Rebuild();
    }
}

void Texture::Rebuild()
{
    Log::Warning(Channel(), "Reloading texture, this may not occur too often");
    Initialize();
}

void Texture::SetInternalFormat(GLenum format)
{
    m_internalFormat = format;
    RebuildIfMade();
}

void Texture::SetFormat(GLenum format)
{
    m_format = format;
    RebuildIfMade();
}

void Texture::SetMagFilter(GLenum filter)
{
    m_magFilter = filter;
    RebuildIfMade();
}

void Texture::SetMinFilter(GLenum filter)
{
    m_minFilter = filter;
    RebuildIfMade();
}

void Texture::SetWrapMode(GLenum mode)
{
    if (mode == m_wrapMode)
    {
        return;
    }
    m_wrapMode = mode;
    RebuildIfMade();
}

void Texture::SetMipMap(bool on)
{
    m_mipMap = on;
    RebuildIfMade();
}

void Texture::SetColorData(std::vector<float> texels, unsigned width, unsigned height)
{
    m_colorData = std::move(texels);
    m_width = width;
    m_height = height;
    RebuildIfMade();
}

void Texture::SetSize(unsigned width, unsigned height)
{
    m_width = width;
    m_height = height;
    RebuildIfMade();
}
} // namespace Morvane::Graphics
