#include "Behavior/CameraController/CameraController.h"

#include "Graphics/Camera.h"
#include "Graphics/GraphicsSystem.h"
#include "Input/InputSystem.h"
#include "Parsing/IParserData.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <cmath>
#include <glm/geometric.hpp>

using namespace Morvane;

namespace
{
// Short of the poles, where the forward vector would be parallel to up.
constexpr float kMinimumPolar = 0.01f;
constexpr float kMaximumPolar = 3.1315928f;
constexpr float kSpeed = 5.0f;
// Mouse deltas are distances: one pixel turns as far as it did at the 60 Hz step, at any frame rate.
constexpr float kRadiansPerPixel = 0.016f;
} // namespace

bool CameraController::Parse(const IParserData* data)
{
    m_cameraName = data->GetAttribute("camera", "");
    m_camera = Graphics::System::GetInstance().GetCamera(m_cameraName);
    if (m_camera == nullptr)
    {
        Log::Error(Format("%s/Behavior", GetOwnerName().c_str()),
                   Format("Could not find camera '%s'", m_cameraName.c_str()));
        return false;
    }
    return true;
}

bool CameraController::Save(IParserData* data)
{
    IParserData* element = data->AddChild("Behavior");
    element->SetAttribute("type", "BehaviorComponent_CameraController");
    element->SetAttribute("camera", m_cameraName);
    return true;
}

bool CameraController::Initialize()
{
    MORVANE_ASSERT_NAMED(m_camera != nullptr, "m_camera", __LINE__);
    const glm::vec3 offset = m_camera->GetTarget() - m_camera->GetPosition();
    if (glm::length(offset) > 0.0f)
    {
        const glm::vec3 direction = glm::normalize(offset);
        m_polar = std::clamp(std::acos(std::clamp(direction.y, -1.0f, 1.0f)), kMinimumPolar, kMaximumPolar);
        m_azimuth = std::atan2(direction.z, direction.x);
    }
    Input::System::GetInstance().mouseLocked = true;
    return true;
}

void CameraController::Update(const float& dt)
{
    MORVANE_ASSERT_NAMED(m_camera != nullptr, "m_camera", __LINE__);
    const Input::System& input = Input::System::GetInstance();
    m_polar = std::clamp(m_polar - static_cast<float>(input.mouseDeltaY) * kRadiansPerPixel, kMinimumPolar,
                         kMaximumPolar);
    m_azimuth += static_cast<float>(input.mouseDeltaX) * kRadiansPerPixel;
    const glm::vec3 forward(std::cos(m_azimuth) * std::sin(m_polar), std::cos(m_polar),
                            std::sin(m_azimuth) * std::sin(m_polar));
    const glm::vec3 right = glm::cross(forward, glm::vec3(0.0f, 1.0f, 0.0f));
    glm::vec3 position = m_camera->GetPosition();
    const float step = kSpeed * dt;
    position +=
        forward * step * (static_cast<float>(input.IsHeld('W')) - static_cast<float>(input.IsHeld('S')));
    position +=
        right * step * (static_cast<float>(input.IsHeld('D')) - static_cast<float>(input.IsHeld('A')));
    m_camera->SetPosition(position);
    m_camera->SetTarget(position + forward);
}

void CameraController::Release()
{
    Input::System::GetInstance().mouseLocked = false;
}
