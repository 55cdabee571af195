#pragma once

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Morvane
{
class IParserData;
}

namespace Morvane::Graphics
{
// One glyph, normalised so that layouts need not know the page or pixel size: the position in texture
// coordinates (v from the bottom, as texture rows run), sizes and offsets across in units of the base,
// down in units of the line height.
struct FontCharacter
{
    int id = 0;
    float u = 0.0f;
    float v = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
    float xOffset = 0.0f;
    float yOffset = 0.0f;
    float xAdvance = 0.0f;
    int page = 0;
    // By the code of the character that follows, in units of the page width.
    std::unordered_map<int, float> kernings;
};

// The pixel metrics of a font's "common" element.
struct FontMetrics
{
    int scaleWidth = 0;
    int scaleHeight = 0;
    int lineHeight = 0;
    int base = 0;
};

// Reads the XML export of a bitmap-font generator (root children "info", "common", "pages", "chars",
// "kernings") into normalised characters. "common" is read first wherever it stands, since every other
// number is divided by its metrics. No files and no GL: the load thread and the fuzzer run it.
class FontDescription
{
public:
    explicit FontDescription(std::string channel) : m_channel(std::move(channel)) {}

    // False (logged) for metrics that are missing, zero or negative; characters on a page the font
    // lacks, kernings of unknown characters and unknown elements are skipped with a warning.
    bool Read(const IParserData& root);

    const FontMetrics& GetMetrics() const { return m_metrics; }
    // Image file names, in page order, as written (relative to the description's folder).
    const std::vector<std::string>& GetPageFiles() const { return m_pageFiles; }
    const std::unordered_map<int, FontCharacter>& GetCharacters() const { return m_characters; }
    std::unordered_map<int, FontCharacter> TakeCharacters() { return std::move(m_characters); }

private:
    bool ReadCommon(const IParserData& common);
    void ReadPages(const IParserData& pages);
    void ReadCharacters(const IParserData& chars);
    void ReadKernings(const IParserData& kernings);
    void WarnUnknown(const IParserData& element) const;

    std::string m_channel;
    FontMetrics m_metrics;
    std::vector<std::string> m_pageFiles;
    std::unordered_map<int, FontCharacter> m_characters;
};
} // namespace Morvane::Graphics
