#include "Font/TextLayout.h"

#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <set>

namespace Morvane::Graphics
{
namespace
{
constexpr int kReplacement = 0xFFFD;

// The length of the UTF-8 sequence that `lead` starts and the bits it contributes; 0 for a byte that
// starts none.
int SequenceLength(unsigned char lead, int& value)
{
    struct Lead
    {
        unsigned char mask;
        unsigned char pattern;
        int length;
    };
    static constexpr Lead kLeads[] = {{0x80, 0x00, 1}, {0xE0, 0xC0, 2}, {0xF0, 0xE0, 3}, {0xF8, 0xF0, 4}};
    for (const Lead& candidate : kLeads)
    {
        if ((lead & candidate.mask) == candidate.pattern)
        {
            value = lead & static_cast<unsigned char>(~candidate.mask);
            return candidate.length;
        }
    }
    return 0;
}
} // namespace

std::vector<int> TextLayout::DecodeUtf8(std::string_view text)
{
    static constexpr int kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    std::vector<int> codes;
    codes.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size())
    {
        int value = 0;
        const int length = SequenceLength(static_cast<unsigned char>(text[at]), value);
        bool valid = length > 0 && at + static_cast<std::size_t>(length) <= text.size();
        for (int next = 1; valid && next < length; ++next)
        {
            const auto byte = static_cast<unsigned char>(text[at + static_cast<std::size_t>(next)]);
            valid = (byte & 0xC0) == 0x80;
            value = (value << 6) | (byte & 0x3F);
        }
        // Overlong forms, surrogates and values past Unicode's range are not characters.
        valid =
            valid && value >= kSmallest[length] && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
        codes.push_back(valid ? value : kReplacement);
        at += valid ? static_cast<std::size_t>(length) : 1;
    }
    return codes;
}

void TextLayout::Build(std::string_view caption, float fontSize, const std::string& channel)
{
    m_quads.clear();
    m_size = glm::vec2(0.0f);
    const float base = static_cast<float>(m_metrics.base);
    const float lineHeight = static_cast<float>(m_metrics.lineHeight);
    const float scaleWidth = static_cast<float>(m_metrics.scaleWidth);
    const float scaleHeight = static_cast<float>(m_metrics.scaleHeight);
    if (lineHeight <= 0.0f || !(fontSize > 0.0f))
    {
        return;
    }
    const float scale = fontSize / lineHeight;

    glm::vec2 pen(0.0f);
    const FontCharacter* previous = nullptr;
    std::set<int> missing;
    int lines = 1;
    for (const int code : DecodeUtf8(caption))
    {
        if (code == '\n')
        {
            m_size.x = std::max(m_size.x, pen.x);
            pen = glm::vec2(0.0f, pen.y + fontSize);
            previous = nullptr;
            ++lines;
            continue;
        }
        const auto found = m_characters.find(code);
        if (found == m_characters.end())
        {
            if (missing.insert(code).second)
            {
                Log::Warning(channel, Format("Character %d is not in the font; skipped", code));
            }
            continue;
        }
        const FontCharacter& character = found->second;
        if (previous != nullptr)
        {
            if (const auto kerning = previous->kernings.find(code); kerning != previous->kernings.end())
            {
                pen.x += kerning->second * scaleWidth * scale;
            }
        }
        // Back to the font's pixels, then to the caption's.
        const glm::vec2 size(character.width * base, character.height * lineHeight);
        GlyphQuad quad;
        quad.topLeft = pen + glm::vec2(character.xOffset * base, character.yOffset * lineHeight) * scale;
        quad.bottomRight = quad.topLeft + size * scale;
        quad.uvTopLeft = glm::vec2(character.u, character.v);
        quad.uvBottomRight = glm::vec2(character.u + size.x / scaleWidth, character.v - size.y / scaleHeight);
        quad.page = character.page;
        if (size.x > 0.0f && size.y > 0.0f)
        {
            m_quads.push_back(quad);
        }
        pen.x += character.xAdvance * base * scale;
        previous = &character;
    }
    m_size.x = std::max(m_size.x, pen.x);
    m_size.y = static_cast<float>(lines) * fontSize;
}
} // namespace Morvane::Graphics
