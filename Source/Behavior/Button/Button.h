#pragma once

#include "Behavior/BehaviorComponent.h"

#include <glm/vec3.hpp>
#include <string>

namespace Morvane::Game
{
class TransformComponent;
}
namespace Morvane::Physics
{
class Component;
}
namespace Morvane::Audio
{
class Component;
}

// A floor button: the player's touch presses it once; it opens the door named by its activatable
// name, reports where it was pressed, plays its sound and shrinks away.
class Button : public Morvane::Behavior::Component
{
public:
    static constexpr float kShrinkRate = 10.0f;

    explicit Button(Morvane::Game::Object* owner) : Component(owner) {}

    bool Save(Morvane::IParserData* data) override;
    bool Initialize() override;
    void Update(const float& dt) override;

    void Press();
    bool IsPressed() const { return m_pressed; }
    const std::string& GetActivatableName() const { return m_activatableName; }
    void SetActivatableName(const std::string& name) { m_activatableName = name; }

private:
    bool IsTouchedByPlayer() const;

    std::string m_activatableName;
    bool m_pressed = false;
    glm::vec3 m_targetScale{0.0f};
    Morvane::Game::TransformComponent* m_transform = nullptr;
    Morvane::Physics::Component* m_body = nullptr;
};
