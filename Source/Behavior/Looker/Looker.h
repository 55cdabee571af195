#pragma once

#include "Behavior/BehaviorComponent.h"
#include "Component/ComponentHandle.h"

#include <glm/gtc/quaternion.hpp>
#include <glm/vec3.hpp>

namespace Morvane::Game
{
class TransformComponent;
}

// Level 4's watchers: each frame the Looker turns at once so that its +z side faces the watched
// transform. Still until something is given to watch.
class Looker : public Morvane::Behavior::Component
{
public:
    explicit Looker(Morvane::Game::Object* owner) : Component(owner) {}

    bool Save(Morvane::IParserData* data) override;
    bool Initialize() override;
    void Update(const float& dt) override;

    void SetWatched(Morvane::Game::TransformComponent* watched);
    const Morvane::Game::ComponentHandle<Morvane::Game::TransformComponent>& GetWatched() const
    {
        return m_watched;
    }

    // The rotation that turns +z from `from` toward `to`, upright; `previous` where there is no such
    // rotation (the same point, or straight above or below).
    static glm::quat Facing(const glm::vec3& from, const glm::vec3& to, const glm::quat& previous);

private:
    Morvane::Game::ComponentHandle<Morvane::Game::TransformComponent> m_watched;
    Morvane::Game::TransformComponent* m_transform = nullptr;
    bool m_warnedLost = false;
};
