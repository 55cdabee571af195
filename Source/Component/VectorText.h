#pragma once

#include <glm/vec3.hpp>
#include <string>
#include <vector>

namespace Morvane::Game
{
// The pieces of `text` between `separator`s, empty pieces included; an empty text has no pieces.
std::vector<std::string> SplitText(const std::string& text, char separator);

// Up to three numbers separated by ';'; missing pieces are 0 and pieces after the third are ignored.
glm::vec3 ReadVector3(const std::string& text);
// Each component as "%f ;", so the text always ends with the separator.
std::string WriteVector3(const glm::vec3& vector);
} // namespace Morvane::Game
