#include "SystemManager/ISystem.h"

#include "System/Logging/LoggingSystem.h"
#include "System/Pool/PoolRegistry.h"

namespace Morvane
{
ISystem::ISystem()
{
    BuildLogAndPoolsFirst();
}

void ISystem::BuildLogAndPoolsFirst()
{
    Logging::System::GetInstance();
    PoolRegistry::GetInstance();
}
} // namespace Morvane
