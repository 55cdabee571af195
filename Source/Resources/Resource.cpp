#include "Resources/Resource.h"

namespace Morvane::Resources
{
bool Resource::Parse(const IParserData*)
{
    return true;
}
} // namespace Morvane::Resources
