#include "Renderable/ObjImport.h"

#include "Renderable/NumberList.h"
#include "Renderable/PolygonTriangulator.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <charconv>
#include <cmath>
#include <fstream>

namespace Morvane::Graphics
{
namespace
{
// Shown pieces of bad input are cut to this length.
constexpr std::size_t kShownLength = 32;

bool IsSpace(char character)
{
    return character == ' ' || character == '\t' || character == '\r' || character == '\v' ||
           character == '\f';
}

// The next blank-separated word of `text`, which loses it; empty at the end.
std::string_view NextWord(std::string_view& text)
{
    std::size_t start = 0;
    while (start < text.size() && IsSpace(text[start]))
    {
        ++start;
    }
    std::size_t end = start;
    while (end < text.size() && !IsSpace(text[end]))
    {
        ++end;
    }
    const std::string_view word = text.substr(start, end - start);
    text.remove_prefix(end);
    return word;
}

std::string Shown(std::string_view text)
{
    return std::string(text.substr(0, kShownLength));
}
} // namespace

bool ObjImport::Fail(const std::string& problem) const
{
    Log::Error(m_channel, Format("Line %zu: %s", m_lineNumber, problem.c_str()));
    return false;
}

bool ObjImport::ImportFile(const std::string& path, ObjArrays& arrays)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = file ? static_cast<std::streamoff>(file.tellg()) : -1;
    if (size < 0)
    {
        Log::Error(m_channel, Format("Could not open obj file '%s'", path.c_str()));
        return false;
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    file.seekg(0);
    file.read(text.data(), static_cast<std::streamsize>(size));
    return ImportText(text, arrays);
}

bool ObjImport::ImportText(std::string_view text, ObjArrays& arrays)
{
    m_lineNumber = 0;
    m_faceCount = 0;
    m_positions.clear();
    m_textureCoordinates.clear();
    m_normals.clear();
    arrays = ObjArrays{};
    while (!text.empty())
    {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++m_lineNumber;
        if (!ReadLine(line, arrays))
        {
            return false;
        }
    }
    if (m_faceCount == 0)
    {
        Log::Error(m_channel, "The file has no faces");
        return false;
    }
    return true;
}

bool ObjImport::ReadLine(std::string_view line, ObjArrays& arrays)
{
    std::string_view rest = line;
    const std::string_view keyword = NextWord(rest);
    if (keyword.empty() || keyword.front() == '#')
    {
        return true;
    }
    if (keyword == "f")
    {
        return ReadFace(rest, arrays);
    }
    // How many numbers each kind of entry needs, and how many it may carry (the rest are optional).
    std::size_t needed = 0;
    if (keyword == "v" || keyword == "vn")
    {
        needed = 3;
    }
    else if (keyword == "vt")
    {
        needed = 1;
    }
    else
    {
        return true;
    }
    float numbers[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    std::size_t count = 0;
    for (std::string_view word = NextWord(rest); !word.empty(); word = NextWord(rest))
    {
        if (count == 4 || !ReadFloat(word, numbers[count]))
        {
            return Fail(Format("Could not read number '%s'", Shown(word).c_str()));
        }
        ++count;
    }
    if (count < needed)
    {
        return Fail(Format("'%s' needs %zu numbers", Shown(keyword).c_str(), needed));
    }
    if (keyword == "v")
    {
        m_positions.emplace_back(numbers[0], numbers[1], numbers[2]);
    }
    else if (keyword == "vn")
    {
        m_normals.emplace_back(numbers[0], numbers[1], numbers[2]);
    }
    else
    {
        m_textureCoordinates.emplace_back(numbers[0], numbers[1]);
    }
    return true;
}

bool ObjImport::ResolveIndex(std::string_view text, std::size_t count, const char* kind,
                             std::size_t& index) const
{
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end)
    {
        return Fail(Format("Could not read %s index '%s'", kind, Shown(text).c_str()));
    }
    if (value == 0)
    {
        return Fail(Format("The %s index 0 is not valid (indices start at 1)", kind));
    }
    const long long size = static_cast<long long>(count);
    const long long resolved = value > 0 ? value - 1 : size + value;
    if (resolved < 0 || resolved >= size)
    {
        return Fail(Format("The %s index %lld is beyond the %zu declared", kind, value, count));
    }
    index = static_cast<std::size_t>(resolved);
    return true;
}

bool ObjImport::ReadCorner(std::string_view word, Corner& corner) const
{
    const std::size_t firstSlash = word.find('/');
    const std::string_view position = word.substr(0, firstSlash);
    if (!ResolveIndex(position, m_positions.size(), "position", corner.position))
    {
        return false;
    }
    if (firstSlash == std::string_view::npos)
    {
        return true;
    }
    std::string_view rest = word.substr(firstSlash + 1);
    const std::size_t secondSlash = rest.find('/');
    const std::string_view textureCoordinate = rest.substr(0, secondSlash);
    const std::string_view normal =
        secondSlash == std::string_view::npos ? std::string_view() : rest.substr(secondSlash + 1);
    if (normal.find('/') != std::string_view::npos)
    {
        return Fail(Format("Face vertex '%s' has more than three fields", Shown(word).c_str()));
    }
    if (!textureCoordinate.empty())
    {
        corner.hasTextureCoordinate = true;
        if (!ResolveIndex(textureCoordinate, m_textureCoordinates.size(), "texture coordinate",
                          corner.textureCoordinate))
        {
            return false;
        }
    }
    if (!normal.empty())
    {
        corner.hasNormal = true;
        return ResolveIndex(normal, m_normals.size(), "normal", corner.normal);
    }
    return true;
}

bool ObjImport::ReadFace(std::string_view rest, ObjArrays& arrays)
{
    m_corners.clear();
    m_cornerPositions.clear();
    for (std::string_view word = NextWord(rest); !word.empty(); word = NextWord(rest))
    {
        Corner corner;
        if (!ReadCorner(word, corner))
        {
            return false;
        }
        m_corners.push_back(corner);
        m_cornerPositions.push_back(m_positions[corner.position]);
    }
    if (m_corners.size() < 3)
    {
        return Fail(Format("A face needs 3 vertices, this one has %zu", m_corners.size()));
    }
    ++m_faceCount;
    const glm::vec3 faceNormal = PolygonNormal(m_cornerPositions);
    for (const auto& triangle : TriangulatePolygon(m_cornerPositions))
    {
        for (const std::size_t at : triangle)
        {
            const Corner& corner = m_corners[at];
            const glm::vec3& position = m_positions[corner.position];
            const glm::vec2 textureCoordinate = corner.hasTextureCoordinate
                                                    ? m_textureCoordinates[corner.textureCoordinate]
                                                    : glm::vec2(0.0f);
            const glm::vec3 normal = corner.hasNormal ? m_normals[corner.normal] : faceNormal;
            arrays.positions.insert(arrays.positions.end(), {position.x, position.y, position.z});
            arrays.textureCoordinates.insert(arrays.textureCoordinates.end(),
                                             {textureCoordinate.x, textureCoordinate.y});
            arrays.normals.insert(arrays.normals.end(), {normal.x, normal.y, normal.z});
            arrays.hasTextureCoordinates = arrays.hasTextureCoordinates || corner.hasTextureCoordinate;
            arrays.hasNormals = arrays.hasNormals || corner.hasNormal;
        }
    }
    return true;
}
} // namespace Morvane::Graphics
