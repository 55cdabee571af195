#include "Main/EngineSystems.h"

#include "Behavior/BehaviorSystem.h"
#include "Component/GameSystem.h"
#include "Files/FilesSystem.h"
#include "Graphics/GraphicsSystem.h"
#include "Input/InputSystem.h"
#include "Resources/ResourceSystem.h"
#include "Sound/AudioSystem.h"
#include "SystemManager/SystemManager.h"
#include "Window/WindowSystem.h"

namespace Morvane
{
namespace
{
template <class T> ISystem& Accessor()
{
    return T::GetInstance();
}

struct SystemEntry
{
    const char* name;
    SystemManager::SystemAccessor accessor;
};

// The one table of configuration names, composed here above every subsystem; each engine system
// adds its line here.
const SystemEntry kEngineSystems[] = {
    {"FileSystem", &Accessor<Files::System>},        {"GameSystem", &Accessor<Game::System>},
    {"BehaviorSystem", &Accessor<Behavior::System>}, {"ResourceSystem", &Accessor<Resources::System>},
    {"AudioSystem", &Accessor<Audio::System>},       {"Window", &Accessor<Window::System>},
    {"InputSystem", &Accessor<Input::System>},       {"GraphicsSystem", &Accessor<Graphics::System>},
};
} // namespace

void RegisterEngineSystems(SystemManager& manager)
{
    for (const SystemEntry& entry : kEngineSystems)
    {
        manager.RegisterSystem(entry.name, entry.accessor);
    }
}
} // namespace Morvane
