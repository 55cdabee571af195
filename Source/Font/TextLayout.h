#pragma once

#include "Font/FontDescription.h"

#include <glm/vec2.hpp>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Morvane::Graphics
{
// One glyph of a laid-out caption: its rectangle in output pixels (origin at the caption's top left,
// y down) and in its page's texture coordinates (v up, as texture rows run).
struct GlyphQuad
{
    glm::vec2 topLeft{0.0f};
    glm::vec2 bottomRight{0.0f};
    glm::vec2 uvTopLeft{0.0f};
    glm::vec2 uvBottomRight{0.0f};
    int page = 0;
};

// Lays a UTF-8 caption out with a font's normalised metrics: the pen starts at the top left, "\n"
// starts a new line, kerning pulls pairs together, and everything is scaled by fontSize / lineHeight
// so glyphs keep their drawn proportions. Characters the font lacks are skipped with one warning each.
class TextLayout
{
public:
    TextLayout(const FontMetrics& metrics, const std::unordered_map<int, FontCharacter>& characters)
        : m_metrics(metrics), m_characters(characters)
    {
    }

    // Lays `caption` out at `fontSize` pixels per line; warnings go to `channel`.
    void Build(std::string_view caption, float fontSize, const std::string& channel);

    const std::vector<GlyphQuad>& GetQuads() const { return m_quads; }
    // The widest line's advance and the height of every line, in output pixels.
    const glm::vec2& GetSize() const { return m_size; }

    // The code points of `text`; a byte that starts no valid sequence reads as U+FFFD.
    static std::vector<int> DecodeUtf8(std::string_view text);

private:
    const FontMetrics& m_metrics;
    const std::unordered_map<int, FontCharacter>& m_characters;
    std::vector<GlyphQuad> m_quads;
    glm::vec2 m_size{0.0f};
};
} // namespace Morvane::Graphics
