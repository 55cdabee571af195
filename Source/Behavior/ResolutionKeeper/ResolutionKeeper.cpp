#include "Behavior/ResolutionKeeper/ResolutionKeeper.h"

#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsSystem.h"
#include "Parsing/IParserData.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <cmath>

using namespace Morvane;

bool ResolutionKeeper::Parse(const IParserData* data)
{
    m_cameraName = data->GetAttribute("camera", "");
    m_camera = Graphics::System::GetInstance().GetCamera(m_cameraName);
    MORVANE_ASSERT_NAMED(m_camera != nullptr, "m_camera", __LINE__);
    ReadRatio();
    return true;
}

bool ResolutionKeeper::Save(IParserData* data)
{
    IParserData* element = data->AddChild("Behavior");
    element->SetAttribute("type", "BehaviorComponent_ResolutionKeeper");
    element->SetAttribute("camera", m_cameraName);
    return true;
}

bool ResolutionKeeper::Initialize()
{
    // The transform may come after the behavior in the object's element.
    if (m_ratio == 0.0f && !ReadRatio())
    {
        Log::Error(Format("%s/ResolutionKeeper", GetOwnerName().c_str()),
                   "The object needs a transform whose scale is not zero");
        return false;
    }
    return true;
}

bool ResolutionKeeper::ReadRatio()
{
    const auto* transform = GetParentObject()->GetComponent<Game::TransformComponent>();
    if (transform == nullptr)
    {
        return false;
    }
    const glm::vec3& scale = transform->GetScale();
    const float ratio = scale.x / scale.y;
    if (!std::isfinite(ratio) || !(ratio > 0.0f))
    {
        return false;
    }
    m_ratio = ratio;
    return true;
}

glm::vec2 ResolutionKeeper::Fit(const glm::vec2& view, float ratio)
{
    if (!(view.x > 0.0f && view.y > 0.0f && ratio > 0.0f && std::isfinite(ratio)))
    {
        return glm::vec2(0.0f);
    }
    return view.x / view.y <= ratio ? glm::vec2(view.x, view.x / ratio) : glm::vec2(view.y * ratio, view.y);
}

void ResolutionKeeper::Update(const float&)
{
    MORVANE_ASSERT_NAMED(m_camera != nullptr, "m_camera", __LINE__);
    auto* transform = GetParentObject()->GetComponent<Game::TransformComponent>();
    const glm::vec2 size = Fit(m_camera->GetViewportSize(), m_ratio);
    // A minimised window has no size: the last fit stays until it has one again.
    if (transform == nullptr || size.x == 0.0f)
    {
        return;
    }
    // The screen quad spans two units each way: its scale is half the size it covers.
    transform->SetScale(glm::vec3(size * 0.5f, transform->GetScale().z));
}
