#pragma once

#include "Behavior/BehaviorComponent.h"

#include <glm/vec3.hpp>
#include <string>
#include <vector>

// A gate that a button opens. Its own box stays solid but unseen; what the player sees are 32 floating
// pieces that tile the box, made from "FloatingObject.xml" as "Door_Floating". Opening lets the player
// through and shrinks the pieces to specks; they live as long as the door.
class Door : public Morvane::Behavior::Component
{
public:
    static constexpr int kPieceCount = 32;
    static constexpr float kOpenPieceScale = 0.1f;

    explicit Door(Morvane::Game::Object* owner) : Component(owner) {}

    bool Save(Morvane::IParserData* data) override;
    bool Initialize() override;
    void Update(const float&) override {}
    void Release() override;

    void Open();
    bool IsOpen() const { return m_open; }
    const std::vector<std::string>& GetPieceNames() const { return m_leafs; }

private:
    // By name: at a level change the game system may destroy the pieces before the door.
    std::vector<std::string> m_leafs;
    bool m_open = false;
};
