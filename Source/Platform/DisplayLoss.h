#pragma once

namespace Morvane::Platform
{
// When the X server goes away under the game (xvfb-run killed, the session ended), Xlib ends the
// process through exit(); the exit handlers then talk to the dead display again and spin forever.
// After this call such a loss is logged and the process ends at once instead.
void GuardAgainstDisplayLoss();
} // namespace Morvane::Platform
