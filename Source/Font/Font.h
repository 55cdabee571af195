#pragma once

#include "Font/FontDescription.h"
#include "Resources/Resource.h"
#include "Texture/TexelImage.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace Morvane::Graphics
{
class Texture;

// The "Font" resource: a bitmap font, its characters normalised (see FontCharacter) and one texture per
// page. The page textures are resources of their own ("<font>_Page<N>"), made by this font and unloaded
// with it.
//
// Parse reads the description file named by "path" and decodes the page images, touching no GL, so a
// "multiThreaded" font loads on the load thread; Initialize hands the decoded pages to their textures
// on the main thread, once per Parse.
class Font : public Resources::Resource
{
public:
    explicit Font(const std::string& name) : Resource(name) {}

    bool Parse(const IParserData* definition) override;
    bool Initialize() override;
    void Release() override;

    Texture* GetTexture(unsigned index) const;
    unsigned GetTextureCount() const { return static_cast<unsigned>(m_textures.size()); }
    // Null when the font lacks `code`: what to do then is the caller's choice.
    const FontCharacter* GetCharacter(int code) const;
    const std::unordered_map<int, FontCharacter>& GetCharacters() const { return m_characterMap; }
    const FontMetrics& GetMetrics() const { return m_metrics; }
    int GetScaleWidth() const { return m_metrics.scaleWidth; }
    int GetScaleHeight() const { return m_metrics.scaleHeight; }
    int GetLineHeight() const { return m_metrics.lineHeight; }
    int GetBase() const { return m_metrics.base; }

private:
    std::string Channel() const;
    bool LoadPages(FontDescription& description, const std::string& folder);
    bool MakeTexture(unsigned index, TexelImage page);

    std::vector<Texture*> m_textures;
    std::vector<std::string> m_textureNames;
    // Decoded by Parse, until Initialize gives them to the textures.
    std::vector<TexelImage> m_pages;
    std::unordered_map<int, FontCharacter> m_characterMap;
    FontMetrics m_metrics;
};
} // namespace Morvane::Graphics
