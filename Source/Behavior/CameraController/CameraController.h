#pragma once

#include "Behavior/BehaviorComponent.h"

#include <string>

namespace Morvane::Graphics
{
class Camera;
}

// A free-flying camera for inspecting a scene: the mouse turns it (the cursor locked while it runs),
// W, A, S and D move it.
class CameraController : public Morvane::Behavior::Component
{
public:
    explicit CameraController(Morvane::Game::Object* owner) : Morvane::Behavior::Component(owner) {}

    // Reads "camera" and looks it up.
    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData* data) override;
    // Starts from the direction the camera looks in and locks the mouse.
    bool Initialize() override;
    void Update(const float& dt) override;
    void Release() override;

private:
    Morvane::Graphics::Camera* m_camera = nullptr;
    std::string m_cameraName;
    float m_polar = 0.0f;
    float m_azimuth = 0.0f;
};
