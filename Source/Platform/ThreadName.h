#pragma once

#include <string>
#include <thread>

namespace Morvane::Platform
{
// Names a thread for debuggers and thread lists (at most 15 characters are kept).
void SetThreadName(std::thread& thread, const std::string& name);
} // namespace Morvane::Platform
