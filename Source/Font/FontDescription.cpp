#include "Font/FontDescription.h"

#include "Parsing/IParserData.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace Morvane::Graphics
{
namespace
{
const std::string_view kSections[] = {"info", "common", "pages", "chars", "kernings"};

template <class Visit> void ForEachChild(const IParserData& parent, Visit visit)
{
    for (const IParserData* child = parent.GetFirstChild(); child != nullptr; child = child->GetNextSibling())
    {
        visit(*child);
    }
}
} // namespace

bool FontDescription::Read(const IParserData& root)
{
    m_metrics = FontMetrics{};
    m_pageFiles.clear();
    m_characters.clear();
    const IParserData* common = nullptr;
    ForEachChild(root,
                 [&](const IParserData& child)
                 {
                     const std::string name = child.GetName();
                     if (name == "common" && common == nullptr)
                     {
                         common = &child;
                     }
                     if (std::ranges::find(kSections, name) == std::end(kSections))
                     {
                         WarnUnknown(child);
                     }
                 });
    if (common == nullptr)
    {
        Log::Error(m_channel, "The font has no \"common\" element with its metrics");
        return false;
    }
    if (!ReadCommon(*common))
    {
        return false;
    }
    // In the order their numbers depend on one another: a character names a page, a kerning two
    // characters.
    const std::pair<const char*, void (FontDescription::*)(const IParserData&)> readers[] = {
        {"pages", &FontDescription::ReadPages},
        {"chars", &FontDescription::ReadCharacters},
        {"kernings", &FontDescription::ReadKernings},
    };
    for (const auto& reader : readers)
    {
        ForEachChild(root,
                     [&](const IParserData& child)
                     {
                         if (child.GetName() == reader.first)
                         {
                             (this->*reader.second)(child);
                         }
                     });
    }
    return true;
}

bool FontDescription::ReadCommon(const IParserData& common)
{
    m_metrics.scaleWidth = common.GetAttributeInt("scaleW", 0);
    m_metrics.scaleHeight = common.GetAttributeInt("scaleH", 0);
    m_metrics.lineHeight = common.GetAttributeInt("lineHeight", 0);
    m_metrics.base = common.GetAttributeInt("base", 0);
    if (m_metrics.scaleWidth <= 0 || m_metrics.scaleHeight <= 0 || m_metrics.lineHeight <= 0 ||
        m_metrics.base <= 0)
    {
        Log::Error(m_channel,
                   Format("Font metrics must be positive: scaleW %d, scaleH %d, lineHeight %d, base %d",
                          m_metrics.scaleWidth, m_metrics.scaleHeight, m_metrics.lineHeight, m_metrics.base));
        return false;
    }
    return true;
}

void FontDescription::ReadPages(const IParserData& pages)
{
    ForEachChild(pages,
                 [&](const IParserData& page)
                 {
                     if (page.GetName() != "page")
                     {
                         WarnUnknown(page);
                         return;
                     }
                     m_pageFiles.push_back(page.GetAttribute("file", ""));
                 });
}

void FontDescription::ReadCharacters(const IParserData& chars)
{
    const float scaleWidth = static_cast<float>(m_metrics.scaleWidth);
    const float scaleHeight = static_cast<float>(m_metrics.scaleHeight);
    const float lineHeight = static_cast<float>(m_metrics.lineHeight);
    const float base = static_cast<float>(m_metrics.base);
    ForEachChild(
        chars,
        [&](const IParserData& element)
        {
            if (element.GetName() != "char")
            {
                WarnUnknown(element);
                return;
            }
            FontCharacter character;
            character.id = element.GetAttributeInt("id", 0);
            character.page = element.GetAttributeInt("page", 0);
            if (character.page < 0 || static_cast<std::size_t>(character.page) >= m_pageFiles.size())
            {
                Log::Warning(m_channel, Format("Character %d is on page %d, which the font lacks; skipped",
                                               character.id, character.page));
                return;
            }
            const float width = element.GetAttributeFloat("width", 0.0f);
            const float height = element.GetAttributeFloat("height", 0.0f);
            if (!(width >= 0.0f && height >= 0.0f))
            {
                Log::Warning(m_channel, Format("Character %d has a negative size; skipped", character.id));
                return;
            }
            character.u = element.GetAttributeFloat("x", 0.0f) / scaleWidth;
            character.v = 1.0f - element.GetAttributeFloat("y", 0.0f) / scaleHeight;
            character.width = width / base;
            character.height = height / lineHeight;
            character.xOffset = element.GetAttributeFloat("xoffset", 0.0f) / base;
            character.yOffset = element.GetAttributeFloat("yoffset", 0.0f) / lineHeight;
            character.xAdvance = element.GetAttributeFloat("xadvance", 0.0f) / base;
            if (!m_characters.emplace(character.id, character).second)
            {
                Log::Warning(m_channel,
                             Format("Character %d is described twice; the first is kept", character.id));
            }
        });
}

void FontDescription::ReadKernings(const IParserData& kernings)
{
    const float scaleWidth = static_cast<float>(m_metrics.scaleWidth);
    ForEachChild(kernings,
                 [&](const IParserData& kerning)
                 {
                     if (kerning.GetName() != "kerning")
                     {
                         WarnUnknown(kerning);
                         return;
                     }
                     const int first = kerning.GetAttributeInt("first", 0);
                     const int second = kerning.GetAttributeInt("second", 0);
                     const auto found = m_characters.find(first);
                     if (found == m_characters.end())
                     {
                         Log::Warning(
                             m_channel,
                             Format("Kerning of character %d, which the font lacks; skipped", first));
                         return;
                     }
                     found->second.kernings[second] =
                         static_cast<float>(kerning.GetAttributeInt("amount", 0)) / scaleWidth;
                 });
}

void FontDescription::WarnUnknown(const IParserData& element) const
{
    Log::Warning(m_channel, Format("Unknown parser element '%s'", element.GetName().c_str()));
}
} // namespace Morvane::Graphics
