#pragma once

#include "Behavior/BehaviorComponent.h"

#include <string>
#include <vector>

// A platform whose six faces pull: a trigger box beyond each face turns the gravity of a character
// that enters it toward the platform, so the player can stand on its underside or its sides.
class GravitationalPlatform : public Morvane::Behavior::Component
{
public:
    static constexpr float kGravity = 9.8f;
    // Each trigger's size as a share of the platform's.
    static constexpr float kTriggerShare = 0.75f;

    explicit GravitationalPlatform(Morvane::Game::Object* owner) : Component(owner) {}

    bool Save(Morvane::IParserData* data) override;
    // Makes the six triggers around the platform as it is placed now.
    bool Initialize() override;
    void Update(const float&) override {}
    // Destroys the triggers: their callbacks must not outlive the level.
    void Release() override;

    const std::vector<std::string>& GetTriggerNames() const { return m_triggers; }

private:
    std::vector<std::string> m_triggers;
};
