#include "Platform/DisplayLoss.h"

#include "System/Logging/LoggingSystem.h"

#include <X11/Xlib.h>
#include <cstdlib>

namespace Morvane::Platform
{
namespace
{
int OnDisplayLost(Display*)
{
    Log::Error("Window", "The connection to the display was lost");
    std::_Exit(EXIT_FAILURE);
}
} // namespace

void GuardAgainstDisplayLoss()
{
    XSetIOErrorHandler(&OnDisplayLost);
}
} // namespace Morvane::Platform
