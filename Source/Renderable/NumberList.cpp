#include "Renderable/NumberList.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace Morvane::Graphics
{
namespace
{
constexpr std::size_t kShownLength = 32;

template <class Value, class Convert>
bool AppendWords(std::string_view text, std::vector<Value>& values, std::string& bad, Convert convert)
{
    std::size_t at = 0;
    while (at < text.size())
    {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])) != 0)
        {
            ++at;
        }
        std::size_t end = at;
        while (end < text.size() && std::isspace(static_cast<unsigned char>(text[end])) == 0)
        {
            ++end;
        }
        if (end == at)
        {
            break;
        }
        const std::string_view word = text.substr(at, end - at);
        Value value{};
        if (!convert(word, value))
        {
            bad = std::string(word.substr(0, kShownLength));
            return false;
        }
        values.push_back(value);
        at = end;
    }
    return true;
}
} // namespace

bool ReadFloat(std::string_view word, float& value)
{
    if (!word.empty() && word.front() == '+')
    {
        word.remove_prefix(1);
    }
    const char* end = word.data() + word.size();
    const auto [stop, error] = std::from_chars(word.data(), end, value);
    return error == std::errc() && stop == end && std::isfinite(value);
}

bool AppendFloats(std::string_view text, std::vector<float>& values, std::string& bad)
{
    return AppendWords(text, values, bad, &ReadFloat);
}

bool AppendIndices(std::string_view text, std::vector<std::uint32_t>& values, std::string& bad)
{
    return AppendWords(text, values, bad,
                       [](std::string_view word, std::uint32_t& value)
                       {
                           const char* end = word.data() + word.size();
                           const auto [stop, error] = std::from_chars(word.data(), end, value);
                           return error == std::errc() && stop == end;
                       });
}
} // namespace Morvane::Graphics
