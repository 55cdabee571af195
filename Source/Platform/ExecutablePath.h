#pragma once

#include <string>

namespace Morvane::Platform
{
// Full file name of the running executable, or empty text when the system cannot tell.
std::string GetExecutablePath();
} // namespace Morvane::Platform
