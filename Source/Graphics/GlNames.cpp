#include "Graphics/GlNames.h"

#include <algorithm>

namespace Morvane::Graphics
{
std::string NameOf(std::span<const GlName> table, unsigned value, const char* fallback)
{
    const auto found = std::ranges::find(table, value, &GlName::value);
    return found != table.end() ? found->name : fallback;
}
} // namespace Morvane::Graphics
