#include "Font/Font.h"

#include "Graphics/OpenGL.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "Resources/ResourceSystem.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/PathWrapper/PathWrapper.h"
#include "Texture/PngImage.h"
#include "Texture/Texture.h"

#include <lodepng.h>
#include <memory>

namespace Morvane::Graphics
{
std::string Font::Channel() const
{
    return Format("Font '%s'", GetName().c_str());
}

bool Font::Parse(const IParserData* definition)
{
    MORVANE_ASSERT_NAMED(definition != nullptr, "parserData", __LINE__);
    m_pages.clear();
    m_characterMap.clear();
    m_metrics = FontMetrics{};

    FontDescription description(Channel());
    const std::string path = PathWrapper::GetInstance().Expand(definition->GetAttribute("path", ""));
    FileParser parser;
    const IParserData* root = path.empty() ? nullptr : parser.Parse(path);
    if (root == nullptr)
    {
        Log::Error(Channel(), "Could not read font file");
        return false;
    }
    if (!description.Read(*root))
    {
        Log::Error(Channel(), Format("Data could not be parsed of path '%s'", path.c_str()));
        return false;
    }
    return LoadPages(description, PathWrapper::GetFolder(path));
}

bool Font::LoadPages(FontDescription& description, const std::string& folder)
{
    for (const std::string& file : description.GetPageFiles())
    {
        const std::string path = PathWrapper::GetInstance().Expand(folder + file);
        std::vector<unsigned char> bytes;
        TexelImage page;
        std::string problem;
        if (file.empty() || lodepng::load_file(bytes, path) != 0 || !DecodePng(bytes, page, problem))
        {
            Log::Error(Channel(), Format("Could not load texture '%s'", path.c_str()));
            if (!problem.empty())
            {
                Log::Error(Channel(), Format("PNG: %s", problem.c_str()));
            }
            m_pages.clear();
            return false;
        }
        m_pages.push_back(std::move(page));
    }
    m_metrics = description.GetMetrics();
    m_characterMap = description.TakeCharacters();
    return true;
}

bool Font::Initialize()
{
    Release();
    if (m_pages.empty())
    {
        Log::Error(Channel(), "The font has no loaded pages");
        return false;
    }
    // The textures keep the texels from here on.
    std::vector<TexelImage> pages = std::move(m_pages);
    m_pages.clear();
    for (unsigned index = 0; index < pages.size(); ++index)
    {
        if (!MakeTexture(index, std::move(pages[index])))
        {
            Release();
            return false;
        }
    }
    SetInitialized(true);
    return true;
}

bool Font::MakeTexture(unsigned index, TexelImage page)
{
    Resources::System& resources = Resources::System::GetInstance();
    const std::string name = Format("%s_Page%u", GetName().c_str(), index);
    auto made = std::make_unique<Texture>(name);
    Texture* texture = made.get();
    if (!resources.AddResource(std::move(made)))
    {
        Log::Error(Channel(), Format("Could not create texture '%s'", name.c_str()));
        return false;
    }
    m_textureNames.push_back(name);
    texture->SetColorData(std::move(page.texels), page.width, page.height);
    // Mipmaps keep small text from shimmering; the baker leaves room between glyphs for them.
    texture->SetMipMap(true);
    texture->SetMagFilter(GL_LINEAR);
    texture->SetMinFilter(GL_LINEAR_MIPMAP_LINEAR);
    if (!texture->Initialize())
    {
        Log::Error(Channel(), Format("Could not initialize texture '%s'", name.c_str()));
        return false;
    }
    m_textures.push_back(texture);
    return true;
}

void Font::Release()
{
    m_textures.clear();
    for (const std::string& name : m_textureNames)
    {
        Resources::System::GetInstance().UnloadIfLoaded(name);
    }
    m_textureNames.clear();
    SetInitialized(false);
}

Texture* Font::GetTexture(unsigned index) const
{
    MORVANE_ASSERT_NAMED(!m_textures.empty(), "!m_textures.empty()", __LINE__);
    MORVANE_ASSERT_NAMED(index < m_textures.size(), "index < m_textures.size()", __LINE__);
    return m_textures[index];
}

const FontCharacter* Font::GetCharacter(int code) const
{
    MORVANE_ASSERT_NAMED(!m_characterMap.empty(), "!m_characterMap.empty()", __LINE__);
    const auto found = m_characterMap.find(code);
    return found != m_characterMap.end() ? &found->second : nullptr;
}
} // namespace Morvane::Graphics
