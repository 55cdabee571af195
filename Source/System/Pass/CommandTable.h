#pragma once

#include "System/Pass/Command.h"

#include <memory>
#include <string>

namespace Morvane::Graphics
{
// What one "type" attribute builds.
struct CommandKind
{
    const char* type;
    const char* className;
    std::unique_ptr<Command> (*create)();
};

// The kind of the type name (exact, case-sensitive), or null.
const CommandKind* FindCommandKind(const std::string& type);
} // namespace Morvane::Graphics
