#include "SceneRunner.h"

#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Main/EngineSystems.h"
#include "Parsing/FileParser/FileParser.h"
#include "Physics/HeadlessMesh.h"
#include "Physics/PhysicsComponent.h"
#include "Physics/PhysicsSystem.h"
#include "SkippedSystem.h"
#include "System/Logging/Format.h"
#include "System/PathWrapper/PathWrapper.h"
#include "SystemManager/ISystem.h"
#include "SystemManager/SystemManager.h"

#include <array>
#include <filesystem>

namespace MorvanePhysics
{
namespace
{
using Morvane::Format;
using Morvane::Physics::Category;

const char* CategoryName(Category category)
{
    constexpr std::array<const char*, 4> kNames = {"None", "Kinematic", "Dynamic", "Static"};
    return kNames[static_cast<std::size_t>(category)];
}

double Wide(float value)
{
    return static_cast<double>(value);
}

Morvane::ISystem& Skipped()
{
    return SkippedSystem::GetInstance();
}

const char* NameOf(const Morvane::Physics::Component* body)
{
    return body != nullptr && body->GetParentObject() != nullptr ? body->GetParentObject()->GetName().c_str()
                                                                 : "-";
}
} // namespace

SkippedSystem& SkippedSystem::GetInstance()
{
    static SkippedSystem instance;
    return instance;
}

void RegisterHeadlessSystems(Morvane::SystemManager& manager)
{
    Morvane::RegisterEngineSystems(manager);
    for (const char* name : {"Window", "InputSystem", "GraphicsSystem", "AudioSystem"})
    {
        manager.RegisterSystem(name, &Skipped);
    }
}

std::uint64_t Fnv1a(std::string_view text)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char character : text)
    {
        hash ^= static_cast<unsigned char>(character);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string DescribeBodies()
{
    std::string text;
    for (const Morvane::Physics::Component* body : Morvane::Physics::System::GetInstance().GetComponents())
    {
        const Morvane::Game::TransformComponent* transform = body->GetTargetTransform();
        const glm::vec3 position = transform != nullptr ? transform->GetPosition() : glm::vec3(0.0f);
        const glm::vec3& velocity = body->GetVelocity();
        text +=
            Format("body %s %s %.9g %.9g %.9g %.9g %.9g %.9g %zu\n", NameOf(body),
                   CategoryName(body->GetCategory()), Wide(position.x), Wide(position.y), Wide(position.z),
                   Wide(velocity.x), Wide(velocity.y), Wide(velocity.z), body->GetContacts().size());
        for (const Morvane::Physics::Contact& contact : body->GetContacts())
        {
            text +=
                Format("contact %s %.9g %.9g %.9g %.9g\n", NameOf(contact.other), Wide(contact.correction.x),
                       Wide(contact.correction.y), Wide(contact.correction.z), Wide(contact.depth));
        }
    }
    return text;
}

std::optional<std::string> RunScene(const std::string& path, long frames, bool useGrid)
{
    // Collision hulls read their meshes' data; nothing is uploaded.
    Morvane::Physics::HeadlessMesh::Register();
    const std::filesystem::path configurationFolder = std::filesystem::absolute(path).parent_path();
    Morvane::PathWrapper::GetInstance().AddPath("LocalFolder", configurationFolder.parent_path().string());
    Morvane::SystemManager& manager = Morvane::SystemManager::GetInstance();
    bool initialized = false;
    {
        // The tree lives in the object pools, which releasing the systems empties: it goes first.
        Morvane::FileParser parser;
        Morvane::IParserData* tree = parser.Parse(path);
        initialized = tree != nullptr && manager.Initialize(tree);
    }
    if (!initialized)
    {
        manager.Release();
        return std::nullopt;
    }
    Morvane::Physics::System::GetInstance().SetUseGrid(useGrid);
    for (long frame = 0; frame < frames; ++frame)
    {
        for (Morvane::ISystem* system : manager.updateOrder)
        {
            system->Update(kFrameTime);
        }
    }
    std::string report = DescribeBodies();
    report += Format("hash %016llx\n", static_cast<unsigned long long>(Fnv1a(report)));
    manager.Release();
    return report;
}
} // namespace MorvanePhysics
