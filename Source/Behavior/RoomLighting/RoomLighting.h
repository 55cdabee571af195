#pragma once

#include "Behavior/BehaviorComponent.h"

#include <glm/vec3.hpp>
#include <string>

// A room's lighting, handed once to its lights when the room starts: fog colour and amount and the
// ambient colour to the directional lights of the object "sun" (default "Sun"), the attenuation to the
// point light of "pointLight" (default "Pointlight"). The attributes read like a level's sun: "fog",
// "fogAmount", "ambient", "attenuation"; absent ones are zero. The values also become the process's
// render settings, as a level's sun does.
class RoomLighting : public Morvane::Behavior::Component
{
public:
    explicit RoomLighting(Morvane::Game::Object* owner) : Morvane::Behavior::Component(owner) {}

    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData* data) override;
    // Fails, logged, when either light is missing or is not a light of its kind.
    bool Initialize() override;
    void Update(const float&) override {}

private:
    std::string Channel() const;

    std::string m_sunName;
    std::string m_pointLightName;
    glm::vec3 m_fogColor{0.0f};
    float m_fogAmount = 0.0f;
    glm::vec3 m_ambientColor{0.0f};
    glm::vec3 m_attenuation{0.0f};
};
