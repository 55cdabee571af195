#pragma once

namespace Morvane::Platform
{
// Routes Ctrl-C (SIGINT) and SIGTERM into a flag the frame loop polls, so the game ends cleanly.
void InstallInterruptHandler();
bool IsInterruptRequested();
void ClearInterruptRequest();
} // namespace Morvane::Platform
