#pragma once

#include "Behavior/BehaviorFactory/BehaviorFactory.h"
#include "Behavior/BehaviorSystem.h"
#include "Graphics/GraphicsFactory/GraphicsFactory.h"
#include "Graphics/GraphicsSystem.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Physics/HeadlessMesh.h"
#include "Physics/PhysicsFactory/PhysicsFactory.h"
#include "Physics/PhysicsSystem.h"
#include "Resources/ResourceSystem.h"
#include "System/PathWrapper/PathWrapper.h"
#include "Texture/Texture.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <thread>

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

// The largest level file in `folder`, by size (its name only): the one whose load or save costs most.
inline std::string LargestLevel(const std::string& folder)
{
    std::string largest;
    std::uintmax_t largestSize = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        if (entry.path().extension() == ".xml" && entry.file_size() >= largestSize)
        {
            largestSize = entry.file_size();
            largest = entry.path().filename().string();
        }
    }
    return largest;
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

// What the player's companions (the sphere, the cord's and the aura's particles) name beyond
// AddRendererStandIns, for benchmarks that load a level with a player.
inline bool AddCompanionStandIns()
{
    Resources::System& resources = Resources::System::GetInstance();
    return resources.AddResource(std::make_unique<Physics::HeadlessMesh>("Mesh_Sphere")) &&
           resources.AddResource(std::make_unique<Physics::HeadlessMesh>("Mesh_Particle")) &&
           resources.AddResource(std::make_unique<Graphics::Texture>("Texture_SoftDisc"));
}

// The game's sound, shader and font packs, with stand-ins for what only a renderer uses.
inline bool PrepareGamePacks()
{
    Resources::System& resources = Resources::System::GetInstance();
    XMLParserData packs;
    packs.FromString(R"(<ResourceSystem><Pack name="Sounds" path="$(LocalFolder)Resources/Sounds.xml"/>)"
                     R"(<Pack name="Shaders" path="$(LocalFolder)Resources/Shaders.xml"/>)"
                     R"(<Pack name="Fonts" path="$(LocalFolder)Resources/Fonts.xml"/></ResourceSystem>)");
    return resources.Parse(&packs) && resources.Initialize() && AddRendererStandIns();
}

// Updates the resource system until every one of `loading` is initialised, at most about 10 s: the
// "multiThreaded" ones come through the load thread. False when one is missing or never came.
inline bool WaitUntilInitialized(std::initializer_list<const Resources::Resource*> loading, float step)
{
    const auto missing = [](const Resources::Resource* resource) { return resource == nullptr; };
    const auto ready = [](const Resources::Resource* resource) { return resource->IsInitialized(); };
    if (std::any_of(loading.begin(), loading.end(), missing))
    {
        return false;
    }
    for (int wait = 0; wait < 10000 && !std::all_of(loading.begin(), loading.end(), ready); ++wait)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        Resources::System::GetInstance().Update(step);
    }
    return std::all_of(loading.begin(), loading.end(), ready);
}
} // namespace Morvane::Benchmarks
