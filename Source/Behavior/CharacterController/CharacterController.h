#pragma once

#include "Behavior/BehaviorComponent.h"
#include "Component/ComponentHandle.h"
#include "Component/TransformComponent.h"

#include <glm/vec3.hpp>
#include <set>
#include <string>
#include <vector>

namespace Morvane::Game
{
class TransformComponent;
}
namespace Morvane::Audio
{
class Component;
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
class CharacterPhysics;
class Other;

// The player: first-person look and movement of its character body from keyboard, mouse and the first
// pad, jumps, ledges, bouncers, jumpers and moving platforms, the fall that ends behind a white flash
// at the last safe floor, the camera that follows the eye and the ears that follow the camera. It
// makes the fade overlay, the companion and the cord between them, and destroys them on release.
class CharacterController : public Morvane::Behavior::Component
{
public:
    static constexpr float kEyeHeight = 0.5f;
    static constexpr float kStepHeight = 0.35f;
    static constexpr float kFallLimit = 2.5f;
    static constexpr float kFadeDuration = 0.1f;

    explicit CharacterController(Morvane::Game::Object* owner);

    // Points the body's gravity down and reads "camera".
    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData* data) override;
    // Takes the transform, the start as the first respawn point, the light and locks the mouse.
    bool Initialize() override;
    void Update(const float& dt) override;
    // Frees the mouse and destroys the objects the controller made.
    void Release() override;

    // Gravity rooms turn the body: the box stands tall along the pull (z wins over y, y over x).
    void SetGravity(const glm::vec3& gravity);
    void SetTipPoints(const std::vector<glm::vec3>& points);
    const std::vector<glm::vec3>& GetTipPoints() const { return m_tipPoints; }
    // After the pause room: the camera jumps to the player, keeping its view.
    void Reanchor();

    // Radians: the polar angle from straight up, the azimuth around it; both targets and the current,
    // smoothed, pair.
    void SetView(float polar, float azimuth);
    float GetPolar() const { return m_polar; }
    float GetAzimuth() const { return m_azimuth; }
    bool IsGrounded() const { return m_grounded; }
    bool HasInfiniteJump() const { return m_infiniteJump; }
    float GetAirTime() const { return m_airTime; }
    const glm::vec3& GetRespawnPoint() const { return m_respawnPoint; }
    Morvane::Graphics::Camera* GetCamera() const { return m_camera; }
    // Null once the companion's object is gone.
    Other* GetCompanion() const;

private:
    struct Frame;

    void CreateCompanions();
    void ReadContacts(Frame& frame, float dt);
    void TrackFall(const Frame& frame, float dt);
    void Respawn();
    void Look(float dt);
    void Move(Frame& frame, float dt);
    void Jump(const Frame& frame);
    void Land(float dt);
    void PlayFootsteps(const Frame& frame);
    void PlayOnPlayer(Morvane::Audio::Component& audio, const std::string& name);
    void FollowWithCamera(float dt);
    void GuideCompanion();
    glm::vec3 Forward() const;

    Morvane::Graphics::Camera* m_camera = nullptr;
    std::string m_cameraName;
    Morvane::Game::TransformComponent* m_transform = nullptr;
    CharacterPhysics* m_body = nullptr;
    Morvane::Game::Object* m_respawnFadeInOut = nullptr;
    Morvane::Game::Object* m_cordParticles = nullptr;
    // Looked up once: the frame needs them all.
    Morvane::Graphics::Component* m_fadeGraphics = nullptr;
    // Checked: the editor or a load may destroy the companion or the light under the player.
    Morvane::Game::ComponentHandle<Other> m_companion;
    Morvane::Game::ComponentHandle<Morvane::Game::TransformComponent> m_otherTransform;
    Morvane::Game::ComponentHandle<Morvane::Physics::Component> m_otherBody;
    Morvane::Game::ComponentHandle<Morvane::Game::TransformComponent> m_lightTransform;
    Morvane::Audio::Component* m_audio = nullptr;
    std::vector<std::string> m_createdNames;
    std::set<std::string> m_missingSounds;
    std::vector<glm::vec3> m_tipPoints;

    float m_polar = 0.0f;
    float m_azimuth = 0.0f;
    float m_targetPolar = 0.0f;
    float m_targetAzimuth = 0.0f;
    glm::vec3 m_up{0.0f, 1.0f, 0.0f};

    float m_groundTimer = 0.2f;
    bool m_grounded = false;
    bool m_bounced = false;
    bool m_infiniteJump = false;
    bool m_fallDetection = true;
    float m_airTime = 0.0f;
    float m_fadeTime = 0.0f;
    float m_timeSinceRespawnPoint = 100.0f;
    glm::vec3 m_respawnPoint{0.0f};
    // Set when a fall has put the player back; cleared by the next floor, so each fall counts once.
    bool m_respawned = false;
    bool m_warnedMissingBody = false;
    bool m_warnedMissingCompanion = false;
};
