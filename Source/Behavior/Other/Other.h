#pragma once

#include "Behavior/BehaviorComponent.h"
#include "Behavior/GameRandom/RandomStream.h"
#include "Component/ComponentHandle.h"

#include <array>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>
#include <string>
#include <vector>

namespace Morvane::Game
{
class TransformComponent;
}
namespace Morvane::Graphics
{
class Camera;
class Component;
} // namespace Morvane::Graphics
namespace Morvane::Physics
{
class Component;
}
namespace Morvane::Audio
{
class Component;
}
class FloatingObject;
class LightingPointGraphics;

// The companion: a glowing creature that hovers ahead of the player's view with three small bodies
// circling it and the player's light on it. Left alone for a while it drifts off on its own; called,
// it comes back; sent off, it flies from tip point to tip point to show the way; a story trigger makes
// it react. A level can also place an ambient one, which is free from the start and follows nobody.
class Other : public Morvane::Behavior::Component
{
public:
    static constexpr float kIdleTime = 5.0f;
    static constexpr float kCallTime = 20.0f;
    static constexpr float kInteractDistance = 10.0f;
    static constexpr float kOrbitRadius = 0.3f;

    explicit Other(Morvane::Game::Object* owner);

    bool Save(Morvane::IParserData* data) override;
    // Makes the three orbitals and the aura.
    bool Initialize() override;
    void Update(const float& dt) override;
    // Destroys what Initialize made and forgets every reference.
    void Release() override;

    // The anchor and the companion jump to the camera, which the companion follows from then on.
    void SetCamera(Morvane::Graphics::Camera* camera);
    // The anchor and the companion jump to `point` (the player's eye when the level places it).
    void Place(const glm::vec3& point);
    // Keeps the light object and puts it on the companion.
    void SetLight(const Morvane::Game::Object* light);
    // The player's call: follows again for 20 s (and is no longer free or guiding).
    void Call();
    // The player's nudge from within 10 units: a red flash and off to the current tip point.
    void Interact();
    // A story trigger's event; unknown ones are logged as errors and change nothing. An ambient companion
    // hears none.
    void OnEvent(const std::string& name);
    // A transform that takes the companion's position and scale every frame (null: none).
    void SetSun(Morvane::Game::TransformComponent* sun);
    void SetTipPoints(const std::vector<glm::vec3>& points);
    // A companion a level places on its own: free from the start, it follows nobody and hears no events.
    void SetAmbient();

    bool IsFree() const { return m_free; }
    bool IsGuiding() const { return m_guiding; }
    bool IsAmbient() const { return m_ambient; }
    float GetIdleTimer() const { return m_idleTimer; }
    std::size_t GetCurrentTip() const { return m_currentTip; }
    const glm::vec3& GetAnchor() const { return m_anchor; }
    const glm::vec3& GetDrift() const { return m_drift; }
    // The point the companion hovers toward: the anchor plus this frame's wobble.
    glm::vec3 GetHoverPoint() const { return m_anchor + m_wobbleOffset; }
    const std::array<std::string, 3>& GetOrbitalNames() const { return m_orbitalNames; }

private:
    struct Parts;

    std::string Channel() const;
    // The companion's own transform, body and graphics (asserted); false when one is missing.
    bool FindParts(Parts& parts);
    void Orbit(float dt, const glm::vec3& position);
    void Drift(float dt);
    void Wobble(float dt);
    void MoveAnchor(float dt);
    void DampPush(float dt, Morvane::Physics::Component& body) const;
    void FadeLight(float dt);
    void ShrinkIntoSurfaces(float dt, Parts& parts);
    // Whether the held reference still points at a live object; a lost one is warned about once.
    template <class T> T* Alive(const Morvane::Game::ComponentHandle<T>& handle, const char* what);
    void PlayOnce(const std::string& sound);

    RandomStream m_random;
    Morvane::Graphics::Camera* m_camera = nullptr;
    Morvane::Game::ComponentHandle<Morvane::Game::TransformComponent> m_lightTransform;
    Morvane::Game::ComponentHandle<LightingPointGraphics> m_light;
    Morvane::Game::ComponentHandle<Morvane::Game::TransformComponent> m_sun;
    glm::vec4 m_restingLightColour{1.0f};
    std::array<std::string, 3> m_orbitalNames;
    std::array<Morvane::Game::ComponentHandle<FloatingObject>, 3> m_orbitals;
    std::string m_auraName;
    Morvane::Game::ComponentHandle<Morvane::Game::TransformComponent> m_aura;
    std::vector<std::string> m_lostReferences;

    std::array<float, 3> m_orbitPhases{};
    glm::vec3 m_anchor{0.0f};
    glm::vec3 m_wobbleSpeeds{2.0f, 1.5f, 2.5f};
    glm::vec3 m_wobbleAmplitudes{1.25f, 0.5f, 1.25f};
    glm::vec3 m_wobblePhases{0.0f};
    glm::vec3 m_wobbleOffset{0.0f};
    glm::vec3 m_spinRates{1.1f, 1.1f, 1.1f};
    glm::vec3 m_drift{1.0f, 0.0f, 0.0f};
    bool m_free = false;
    bool m_guiding = false;
    bool m_ambient = false;
    float m_idleTimer = kIdleTime;
    std::vector<glm::vec3> m_tipPoints;
    std::size_t m_currentTip = 0;
};
