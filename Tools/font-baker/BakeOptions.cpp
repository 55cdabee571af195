#include "BakeOptions.h"

#include <charconv>
#include <set>

namespace FontBaker
{
namespace
{
constexpr unsigned kLastCode = 0x10FFFF;

bool ToNumber(const std::string& text, long& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

// "32-126,160-255": ranges and single codes, sorted and without repeats.
bool ParseCodes(const std::string& text, std::vector<unsigned>& codes)
{
    std::set<unsigned> unique;
    std::size_t start = 0;
    while (start <= text.size())
    {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string piece = text.substr(start, comma - start);
        const std::size_t dash = piece.find('-');
        long first = 0;
        long last = 0;
        if (!ToNumber(piece.substr(0, dash), first) ||
            !ToNumber(dash == std::string::npos ? piece : piece.substr(dash + 1), last) || first < 0 ||
            last < first || last > static_cast<long>(kLastCode))
        {
            return false;
        }
        for (long code = first; code <= last; ++code)
        {
            unique.insert(static_cast<unsigned>(code));
        }
        start = comma + 1;
    }
    codes.assign(unique.begin(), unique.end());
    return true;
}
} // namespace

bool ParseBakeOptions(const std::vector<std::string>& arguments, BakeOptions& options, std::string& error)
{
    std::vector<std::string> positional;
    std::string chars = "32-126,160-255";
    for (std::size_t index = 0; index < arguments.size(); ++index)
    {
        const std::string& argument = arguments[index];
        if (argument == "--chars" || argument == "--page")
        {
            if (index + 1 == arguments.size())
            {
                error = argument + " needs a value";
                return false;
            }
            const std::string& value = arguments[++index];
            long pageSize = 0;
            if (argument == "--chars")
            {
                chars = value;
            }
            else if (!ToNumber(value, pageSize) || pageSize < 16 || pageSize > 16384)
            {
                error = "--page takes a size from 16 to 16384";
                return false;
            }
            else
            {
                options.pageSize = static_cast<int>(pageSize);
            }
        }
        else
        {
            positional.push_back(argument);
        }
    }
    if (positional.size() != 3)
    {
        error = "usage: font-baker FONT.ttf PIXELS OUT.xml [--chars 32-126,160-255] [--page 512]";
        return false;
    }
    long pixels = 0;
    if (!ToNumber(positional[1], pixels) || pixels < 1 || pixels > 1024)
    {
        error = "PIXELS must be a whole number from 1 to 1024";
        return false;
    }
    if (!ParseCodes(chars, options.codes))
    {
        error = "--chars takes codes and ranges such as 32-126,160-255";
        return false;
    }
    options.fontPath = positional[0];
    options.pixels = static_cast<int>(pixels);
    options.outputPath = positional[2];
    return true;
}
} // namespace FontBaker
