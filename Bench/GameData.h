#pragma once

#include "Behavior/BehaviorFactory/BehaviorFactory.h"
#include "Behavior/BehaviorSystem.h"
#include "Graphics/GraphicsFactory/GraphicsFactory.h"
#include "Graphics/GraphicsSystem.h"
#include "Physics/HeadlessMesh.h"
#include "Physics/PhysicsFactory/PhysicsFactory.h"
#include "Physics/PhysicsSystem.h"
#include "Resources/ResourceSystem.h"
#include "System/PathWrapper/PathWrapper.h"
#include "Texture/Texture.h"

#include <memory>
#include <string>

namespace Morvane::Benchmarks
{
// The benchmarks live in build/Bench and the data beside the game in build/: with the game's folder
// as theirs, the paths in the data files hold.
inline void UseGameDataFolders()
{
    PathWrapper& paths = PathWrapper::GetInstance();
    const std::string local = paths.Expand("$(LocalFolder)../");
    paths.AddPath("LocalFolder", local);
    paths.AddPath("DataFolder", local);
    paths.AddPath("ConfigurationFolder", local + "Configuration/");
    paths.AddPath("CurrentLevel", local);
}

// The game's own behavior, physics and graphics kinds, as its start-up installs them.
inline void InstallGameFactories()
{
    Behavior::System::GetInstance().m_customComponentFactory = &CreateCustomBehaviorComponent;
    Physics::System::GetInstance().m_customComponentFactory = &CreateCustomPhysicsComponent;
    Graphics::System::GetInstance().m_customComponentFactory = &CreateCustomGraphicsComponent;
}

// Nothing draws in these benchmarks: the level's graphics components need only a mesh and a texture
// to name.
inline bool AddRendererStandIns()
{
    Resources::System& resources = Resources::System::GetInstance();
    return resources.AddResource(std::make_unique<Physics::HeadlessMesh>("Mesh_Cube")) &&
           resources.AddResource(std::make_unique<Physics::HeadlessMesh>("Mesh_ScreenQuad")) &&
           resources.AddResource(std::make_unique<Graphics::Texture>("Texture_White"));
}
} // namespace Morvane::Benchmarks
