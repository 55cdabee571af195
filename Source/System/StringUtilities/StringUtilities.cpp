#include "System/StringUtilities/StringUtilities.h"

namespace Morvane::StringUtilities
{
std::string TrimSpaces(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
    {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> Split(const std::string& text, const std::string& separator)
{
    if (separator.empty())
    {
        return {TrimSpaces(text)};
    }
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t found = text.find(separator); found != std::string::npos;
         found = text.find(separator, start))
    {
        pieces.push_back(TrimSpaces(text.substr(start, found - start)));
        start = found + separator.size();
    }
    pieces.push_back(TrimSpaces(text.substr(start)));
    return pieces;
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    return Split(text, std::string(1, separator));
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    if (from.empty())
    {
        return text;
    }
    for (std::size_t found = text.find(from); found != std::string::npos;
         found = text.find(from, found + to.size()))
    {
        text.replace(found, from.size(), to);
    }
    return text;
}
} // namespace Morvane::StringUtilities
