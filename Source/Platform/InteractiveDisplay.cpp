#include "Platform/InteractiveDisplay.h"

#include <cstdlib>
#include <cstring>

namespace Morvane::Platform
{
namespace
{
bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}
} // namespace

bool HasInteractiveDisplay()
{
    if (IsSet("MORVANE_NO_MESSAGE_BOX") || !(IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")))
    {
        return false;
    }
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return driver == nullptr || (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0);
}
} // namespace Morvane::Platform
