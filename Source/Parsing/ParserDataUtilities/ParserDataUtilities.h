#pragma once

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>
#include <string>

namespace Morvane
{
class IParserData;
}

// Vectors and colours in data are numbers separated by ';' ("0;0;0", "1;1;1;1").
namespace Morvane::ParserDataUtilities
{
// Each component written as "%f ;": (1, 2.5) becomes "1.000000 ;2.500000 ;".
std::string ToText(const glm::vec2& vector);
std::string ToText(const glm::vec3& vector);
std::string ToText(const glm::vec4& vector);

// Each ';'-separated piece read with atof, in order; missing components are 0 and pieces beyond the
// vector's size are ignored: "1;2" reads as the 3-vector (1, 2, 0).
glm::vec2 ToVec2(const std::string& text);
glm::vec3 ToVec3(const std::string& text);
glm::vec4 ToVec4(const std::string& text);

// The attribute read as a vector, or `defaultValue` when the node has no such attribute.
glm::vec2 GetAttributeVec2(const IParserData& data, const std::string& name, const glm::vec2& defaultValue);
glm::vec3 GetAttributeVec3(const IParserData& data, const std::string& name, const glm::vec3& defaultValue);
glm::vec4 GetAttributeVec4(const IParserData& data, const std::string& name, const glm::vec4& defaultValue);

void SetAttributeVector(IParserData& data, const std::string& name, const glm::vec2& vector);
void SetAttributeVector(IParserData& data, const std::string& name, const glm::vec3& vector);
void SetAttributeVector(IParserData& data, const std::string& name, const glm::vec4& vector);
} // namespace Morvane::ParserDataUtilities
