#pragma once

#include "Behavior/BehaviorComponent.h"

#include <functional>

namespace Morvane::Physics
{
class Component;
}

// A box that calls game code when something touches it: once on entering, every frame while it
// stays, once on leaving. Its body should resolve nothing and meet only what it waits for.
class Trigger : public Morvane::Behavior::Component
{
public:
    // Takes the body that touches the trigger now, or null when leaving.
    using Callback = std::function<void(Morvane::Physics::Component* other)>;

    explicit Trigger(Morvane::Game::Object* owner) : Component(owner) {}

    bool Save(Morvane::IParserData* data) override;
    bool Initialize() override;
    // Compares this step's contacts with the last step's and calls back.
    void Update(const float& dt) override;

    void SetOnEnter(Callback callback) { m_onEnter = std::move(callback); }
    void SetOnExit(Callback callback) { m_onExit = std::move(callback); }
    void SetOnStay(Callback callback) { m_onStay = std::move(callback); }
    bool IsTouching() const { return m_touching; }

private:
    Morvane::Physics::Component* m_body = nullptr;
    bool m_touching = false;
    bool m_touchedLastFrame = false;
    Callback m_onEnter;
    Callback m_onExit;
    Callback m_onStay;
};
