#include "Parsing/ParserDataUtilities/ParserDataUtilities.h"

#include "Parsing/IParserData.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace Morvane::ParserDataUtilities
{
namespace
{
template <glm::length_t Size> std::string WriteVector(const glm::vec<Size, float>& vector)
{
    std::string text;
    // "%f" of the largest float needs 46 characters.
    std::array<char, 64> piece{};
    for (glm::length_t index = 0; index < Size; ++index)
    {
        const int written =
            std::snprintf(piece.data(), piece.size(), "%f ;", static_cast<double>(vector[index]));
        if (written > 0)
        {
            text.append(piece.data());
        }
    }
    return text;
}

template <glm::length_t Size> glm::vec<Size, float> ReadVector(const std::string& text)
{
    glm::vec<Size, float> vector(0.0f);
    std::size_t start = 0;
    for (glm::length_t index = 0; index < Size; ++index)
    {
        const std::size_t end = text.find(';', start);
        const std::string piece =
            text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        vector[index] = static_cast<float>(std::atof(piece.c_str()));
        if (end == std::string::npos)
        {
            break;
        }
        start = end + 1;
    }
    return vector;
}

template <glm::length_t Size>
glm::vec<Size, float> GetAttributeVector(const IParserData& data, const std::string& name,
                                         const glm::vec<Size, float>& defaultValue)
{
    return data.HasAttribute(name) ? ReadVector<Size>(data.GetAttribute(name, "")) : defaultValue;
}
} // namespace

std::string ToText(const glm::vec2& vector)
{
    return WriteVector(vector);
}

std::string ToText(const glm::vec3& vector)
{
    return WriteVector(vector);
}

std::string ToText(const glm::vec4& vector)
{
    return WriteVector(vector);
}

glm::vec2 ToVec2(const std::string& text)
{
    return ReadVector<2>(text);
}

glm::vec3 ToVec3(const std::string& text)
{
    return ReadVector<3>(text);
}

glm::vec4 ToVec4(const std::string& text)
{
    return ReadVector<4>(text);
}

glm::vec2 GetAttributeVec2(const IParserData& data, const std::string& name, const glm::vec2& defaultValue)
{
    return GetAttributeVector(data, name, defaultValue);
}

glm::vec3 GetAttributeVec3(const IParserData& data, const std::string& name, const glm::vec3& defaultValue)
{
    return GetAttributeVector(data, name, defaultValue);
}

glm::vec4 GetAttributeVec4(const IParserData& data, const std::string& name, const glm::vec4& defaultValue)
{
    return GetAttributeVector(data, name, defaultValue);
}

void SetAttributeVector(IParserData& data, const std::string& name, const glm::vec2& vector)
{
    data.SetAttribute(name, ToText(vector));
}

void SetAttributeVector(IParserData& data, const std::string& name, const glm::vec3& vector)
{
    data.SetAttribute(name, ToText(vector));
}

void SetAttributeVector(IParserData& data, const std::string& name, const glm::vec4& vector)
{
    data.SetAttribute(name, ToText(vector));
}
} // namespace Morvane::ParserDataUtilities
