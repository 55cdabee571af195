#include "Component/VectorText.h"

#include "System/Logging/Format.h"

#include <cstdlib>

namespace Morvane::Game
{
std::vector<std::string> SplitText(const std::string& text, char separator)
{
    std::vector<std::string> pieces;
    if (text.empty())
    {
        return pieces;
    }
    std::size_t start = 0;
    for (std::size_t found = text.find(separator); found != std::string::npos;
         found = text.find(separator, start))
    {
        pieces.push_back(text.substr(start, found - start));
        start = found + 1;
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

glm::vec3 ReadVector3(const std::string& text)
{
    glm::vec3 vector(0.0f);
    const std::vector<std::string> pieces = SplitText(text, ';');
    for (std::size_t index = 0; index < pieces.size() && index < 3; ++index)
    {
        vector[static_cast<glm::length_t>(index)] = static_cast<float>(std::atof(pieces[index].c_str()));
    }
    return vector;
}

std::string WriteVector3(const glm::vec3& vector)
{
    return Format("%f ;", static_cast<double>(vector.x)) + Format("%f ;", static_cast<double>(vector.y)) +
           Format("%f ;", static_cast<double>(vector.z));
}
} // namespace Morvane::Game
