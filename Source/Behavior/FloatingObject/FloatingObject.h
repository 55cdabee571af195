#pragma once

#include "Behavior/BehaviorComponent.h"

#include <glm/vec3.hpp>

namespace Morvane::Game
{
class TransformComponent;
}

// Floats about its pivot, each axis on its own wave, and wobbles while it turns: door pieces, bobbing
// platforms, buttons at rest. The phase starts at a random point so that neighbours never move alike.
class FloatingObject : public Morvane::Behavior::Component
{
public:
    explicit FloatingObject(Morvane::Game::Object* owner);

    // "pivot", "frecuency", "amplitude", "rotationSpeed"; each absent one keeps its value.
    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData* data) override;
    void Clone(Morvane::Game::Component* destination) override;
    bool Initialize() override;
    void Update(const float& dt) override;

    void SetPivot(const glm::vec3& pivot) { m_pivot = pivot; }
    void SetFrequency(const glm::vec3& frequency) { m_frequency = frequency; }
    void SetAmplitude(const glm::vec3& amplitude) { m_amplitude = amplitude; }
    void SetRotationSpeed(const glm::vec3& speed) { m_rotationSpeed = speed; }
    const glm::vec3& GetPivot() const { return m_pivot; }
    const glm::vec3& GetFrequency() const { return m_frequency; }
    const glm::vec3& GetAmplitude() const { return m_amplitude; }
    const glm::vec3& GetRotationSpeed() const { return m_rotationSpeed; }

private:
    glm::vec3 m_pivot{0.0f};
    glm::vec3 m_frequency{1.0f, 0.5f, 0.5f};
    glm::vec3 m_amplitude{0.25f, 1.5f, 0.25f};
    glm::vec3 m_phase{0.0f};
    glm::vec3 m_rotationSpeed{0.1f, 0.1f, 0.1f};
    Morvane::Game::TransformComponent* m_transform = nullptr;
};
