#pragma once

#include "Behavior/BehaviorComponent.h"

// Opens the head-mounted display. This build's display support has no device, so opening it only warns
// (once for the process) and the game goes on with the window alone.
class OculusController : public Morvane::Behavior::Component
{
public:
    explicit OculusController(Morvane::Game::Object* owner) : Component(owner) {}

    bool Save(Morvane::IParserData* data) override;
    bool Initialize() override;
    void Update(const float&) override {}

    bool IsDisplayOpen() const { return m_open; }

private:
    bool m_open = false;
};
