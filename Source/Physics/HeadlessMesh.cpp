#include "Physics/HeadlessMesh.h"

#include "Resources/ResourceSystem.h"

#include <memory>

namespace Morvane::Physics
{
bool HeadlessMesh::Initialize()
{
    const bool valid = CheckLayout();
    SetInitialized(valid);
    return valid;
}

void HeadlessMesh::Register()
{
    // The resource system keeps delegates across its releases: once per process is enough.
    static bool registered = false;
    if (registered)
    {
        return;
    }
    registered = true;
    Resources::System::GetInstance().AddDelegate(
        "Mesh", [](const std::string& name)
        { return std::unique_ptr<Resources::Resource>(std::make_unique<HeadlessMesh>(name)); });
}
} // namespace Morvane::Physics
