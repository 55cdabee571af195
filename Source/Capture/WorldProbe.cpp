#include "Capture/WorldProbe.h"

#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsSystem.h"
#include "Physics/CharacterPhysics/CharacterPhysics.h"
#include "Window/WindowSystem.h"

#include <cmath>

namespace Morvane::Capture
{
std::optional<glm::vec3> FindPlayerPosition()
{
    for (const Game::Object* object : Game::System::GetInstance().GetObjectsInCreationOrder())
    {
        const auto* transform = object->GetComponent<Game::TransformComponent>();
        if (transform != nullptr && object->GetComponent<CharacterPhysics>() != nullptr)
        {
            return transform->GetPosition();
        }
    }
    return std::nullopt;
}

std::vector<glm::vec3> FindObjectPositions(const std::string& name)
{
    std::vector<glm::vec3> positions;
    for (const Game::Object* object : Game::System::GetInstance().GetObjectsInCreationOrder())
    {
        const std::string& objectName = object->GetName();
        const bool named = objectName == name || (objectName.size() == name.size() + 4 &&
                                                  objectName.compare(0, name.size() + 1, name + "_") == 0);
        const auto* transform = object->GetComponent<Game::TransformComponent>();
        if (named && transform != nullptr)
        {
            positions.push_back(transform->GetPosition());
        }
    }
    return positions;
}

std::optional<glm::ivec2> FindGuiPoint(const std::string& name)
{
    const Game::Object* object = Game::System::GetInstance().GetObject(name);
    const auto* transform = object != nullptr ? object->GetComponent<Game::TransformComponent>() : nullptr;
    Graphics::Camera* camera = Graphics::System::GetInstance().GetCamera("Camera_GUI");
    if (transform == nullptr || camera == nullptr)
    {
        return std::nullopt;
    }
    const Window::ClientRect& client = Window::System::GetInstance().clientRect;
    const glm::vec2 view = camera->GetViewportSize();
    const glm::vec3 offset = transform->GetPosition() - camera->GetPosition();
    const float width = static_cast<float>(client.Width());
    const float height = static_cast<float>(client.Height());
    return glm::ivec2(static_cast<int>(std::lround((offset.x / view.x + 0.5f) * width)),
                      static_cast<int>(std::lround((0.5f - offset.y / view.y) * height)));
}

std::optional<glm::vec3> FindViewDirection(const std::string& camera)
{
    const Graphics::Camera* found = Graphics::System::GetInstance().GetCamera(camera);
    if (found == nullptr)
    {
        return std::nullopt;
    }
    return found->GetTarget() - found->GetPosition();
}
} // namespace Morvane::Capture
