#pragma once

#include "Behavior/BehaviorComponent.h"

// Steps paused physics by hand: "U" pressed steps once, "U" held with Ctrl steps every frame. A running
// simulation is left alone.
class PhysicsController : public Morvane::Behavior::Component
{
public:
    explicit PhysicsController(Morvane::Game::Object* owner) : Component(owner) {}

    bool Save(Morvane::IParserData* data) override;
    void Update(const float& dt) override;
};
