#include "Behavior/FPSText/FPSText.h"

#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/TextGraphics/TextGraphics.h"
#include "Parsing/IParserData.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "SystemManager/SystemManager.h"

using namespace Morvane;

bool FPSText::Save(IParserData* data)
{
    data->AddChild("Behavior")->SetAttribute("type", "BehaviorComponent_FpsText");
    return true;
}

bool FPSText::Initialize()
{
    m_myGraphics = GetParentObject()->GetComponent<TextGraphics>();
    MORVANE_ASSERT_NAMED(m_myGraphics != nullptr, "m_myGraphics", __LINE__);
    KeepInCorner();
    return true;
}

void FPSText::Update(const float&)
{
    MORVANE_ASSERT_NAMED(m_myGraphics != nullptr, "m_myGraphics", __LINE__);
    m_time += SystemManager::GetInstance().frameTime;
    ++m_frames;
    if (m_time > kPeriod)
    {
        m_myGraphics->SetCaption(
            Format("FPS: %.2f", static_cast<double>(static_cast<float>(m_frames) / m_time)));
        m_time = 0.0f;
        m_frames = 0;
    }
    KeepInCorner();
}

// The camera follows the window, so the corner moves with every resize.
void FPSText::KeepInCorner() const
{
    const Graphics::Camera* camera = Graphics::System::GetInstance().GetCamera("Camera_GUI");
    auto* transform = GetParentObject()->GetComponent<Game::TransformComponent>();
    if (camera == nullptr || transform == nullptr || m_myGraphics == nullptr)
    {
        return;
    }
    // The quad spans twice its scale; the caption keeps its texture's proportions at a fixed share of
    // the window's height, so that it stays small in a small window.
    const glm::vec2 half = camera->GetViewportSize() * 0.5f;
    const glm::vec2 texture = m_myGraphics->GetTextureSize();
    if (texture.y <= 0.0f)
    {
        return;
    }
    const float halfHeight = half.y * kHeightShare;
    const glm::vec2 scale{halfHeight * texture.x / texture.y, halfHeight};
    transform->SetScale({scale.x, scale.y, transform->GetScale().z});
    transform->SetPosition({-half.x + scale.x, half.y - scale.y, transform->GetPosition().z});
}
