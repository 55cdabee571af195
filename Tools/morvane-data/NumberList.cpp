#include "NumberList.h"

#include "System/Logging/Format.h"
#include "System/StringUtilities/StringUtilities.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace MorvaneData
{
namespace
{
bool OnlySpaceFrom(const char* text)
{
    while (*text != '\0' && std::isspace(static_cast<unsigned char>(*text)) != 0)
    {
        ++text;
    }
    return *text == '\0';
}
} // namespace

NumberList ReadNumbers(const std::string& text)
{
    std::vector<std::string> pieces = Morvane::StringUtilities::Split(text, ';');
    if (!pieces.empty() && pieces.back().empty())
    {
        pieces.pop_back();
    }
    NumberList list;
    for (const std::string& piece : pieces)
    {
        char* end = nullptr;
        const float number = std::strtof(piece.c_str(), &end);
        if (end == piece.c_str() || !OnlySpaceFrom(end))
        {
            list.problem = Morvane::Format("'%s' is not a number", piece.c_str());
            return list;
        }
        // strtof answers an overflow with infinity, which the finite check below reports.
        if (!std::isfinite(number))
        {
            list.problem = Morvane::Format("'%s' is not a finite number", piece.c_str());
            return list;
        }
        list.numbers.push_back(number);
    }
    return list;
}
} // namespace MorvaneData
