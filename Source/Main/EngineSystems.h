#pragma once

namespace Morvane
{
class SystemManager;

// Enters every engine system under its configuration name.
void RegisterEngineSystems(SystemManager& manager);
} // namespace Morvane
