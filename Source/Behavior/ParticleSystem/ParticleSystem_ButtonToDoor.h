#pragma once

#include "Behavior/ParticleSystem/ParticleBehavior.h"
#include "Component/ComponentHandle.h"

#include <glm/vec3.hpp>
#include <vector>

class Button;

// Sparks that run from a button to the door it opens, along a path of waypoints at 1 unit per second,
// and start again at the button once they reach the door. When the button is pressed no spark comes
// back: each fades within a second and the object goes once all have.
class ParticleSystem_ButtonToDoor : public ParticleBehavior
{
public:
    static constexpr int kCount = 1000;
    static constexpr float kSize = 0.5f;
    static constexpr float kFadeTime = 1.0f;
    static constexpr float kFullLife = 100.0f;
    static constexpr float kSpeed = 1.0f;
    // Within this of its waypoint a spark heads for the next.
    static constexpr float kCapture = 0.1f;
    // Waypoints closer than this to the one before are the same point.
    static constexpr float kSamePoint = 1e-4f;

    explicit ParticleSystem_ButtonToDoor(Morvane::Game::Object* owner);

    bool Initialize() override;
    void Release() override;

    // The button, then an L along the floor at the button's height (along x, then along z) to below
    // the door, then the door's centre.
    static std::vector<glm::vec3> PathBetween(const glm::vec3& button, const glm::vec3& door);
    // The waypoints, repeated points dropped; a path shorter than 0.1 shows nothing (warned). The
    // sparks start spread along it.
    void SetPath(const std::vector<glm::vec3>& waypoints);
    // The button whose press makes the sparks fade.
    void SetButton(Button* button);
    void Press();

    bool IsPressed() const { return m_pressed; }
    const std::vector<glm::vec3>& GetPath() const { return m_path; }
    // The shortest distance from `point` to the path.
    float DistanceToPath(const glm::vec3& point) const;

private:
    void Step(float dt) override;
    void Spread();
    void Advance(int particle, float dt);

    std::vector<glm::vec3> m_path;
    std::vector<int> m_next;
    float m_length = 0.0f;
    Morvane::Game::ComponentHandle<Button> m_button;
    bool m_pressed = false;
    bool m_gone = false;
};
