#include "Behavior/Credits/Credits.h"

#include "Behavior/Menu/CreditsList.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/TextGraphics/TextGraphics.h"
#include "Input/InputSystem.h"
#include "Input/Joystick.h"
#include "Parsing/IParserData.h"
#include "Platform/KeyCodes.h"
#include "System/Assert/Assertion.h"
#include "System/PathWrapper/PathWrapper.h"
#include "SystemManager/SystemManager.h"

#include <algorithm>

using namespace Morvane;

namespace
{
const char* const kCreditsFile = "$(ConfigurationFolder)Credits.xml";
constexpr unsigned kFirstEndKey = 0x1E;
constexpr unsigned kLastEndKey = 0xFD;
// Keys are read only once the fade has come this close to its end.
constexpr float kShownShare = 0.01f;
const std::uint16_t kEndPadButtons[] = {Input::GamepadButton::kA, Input::GamepadButton::kB,
                                        Input::GamepadButton::kStart};
} // namespace

bool Credits::Parse(const IParserData* data)
{
    m_title = data->GetAttribute("title", "");
    m_startAtOnce = data->GetAttributeBool("start", false);
    return true;
}

bool Credits::Save(IParserData* data)
{
    IParserData* element = data->AddChild("Behavior");
    element->SetAttribute("type", "BehaviorComponent_Credits");
    element->SetAttribute("title", m_title);
    element->SetAttributeBool("start", m_startAtOnce);
    return true;
}

bool Credits::Initialize()
{
    m_myGraphics = GetParentObject()->GetComponent<Graphics::Component>();
    if (auto* text = dynamic_cast<TextGraphics*>(m_myGraphics))
    {
        text->SetCaption(Caption(m_title, PathWrapper::GetInstance().Expand(kCreditsFile)));
    }
    if (m_myGraphics != nullptr)
    {
        m_myGraphics->SetVisible(false);
    }
    if (m_startAtOnce)
    {
        Start();
    }
    return true;
}

std::string Credits::Caption(const std::string& title, const std::string& creditsPath)
{
    // Text is laid out from the texture's top left corner: a blank line and a left margin keep it off
    // the window's edges.
    const std::string margin = "      ";
    std::string caption = "\n" + margin + title + "\n";
    const CreditsList credits = CreditsList::Load(creditsPath);
    for (const CreditsList::Heading& heading : credits.GetHeadings())
    {
        caption += "\n" + margin + heading.caption + "\n";
        for (const CreditsList::Line& line : heading.lines)
        {
            caption += margin + "    " + line.caption + "\n";
        }
    }
    return caption;
}

void Credits::Start()
{
    MORVANE_ASSERT_NAMED(m_myGraphics != nullptr, "myGraphics", __LINE__);
    m_active = true;
    m_fadeTimer = kFadeTime;
    m_myGraphics->SetVisible(true);
    m_myGraphics->SetDiffuseColor({1.0f, 1.0f, 1.0f, 0.0f});
    Cover();
}

void Credits::Update(const float& dt)
{
    if (!m_active)
    {
        return;
    }
    m_fadeTimer = std::max(0.0f, m_fadeTimer - dt);
    m_myGraphics->SetDiffuseColor({1.0f, 1.0f, 1.0f, 1.0f - m_fadeTimer / kFadeTime});
    Cover();
    if (m_fadeTimer / kFadeTime <= kShownShare && EndRequested())
    {
        m_active = false;
        SystemManager::GetInstance().pendingConfiguration =
            PathWrapper::GetInstance().Expand(kMenuConfiguration);
    }
}

bool Credits::EndRequested()
{
    Input::System& input = Input::System::GetInstance();
    for (unsigned key = kFirstEndKey; key <= kLastEndKey; ++key)
    {
        if (input.IsTriggered(key))
        {
            return true;
        }
    }
    if (input.IsTriggered(Platform::VirtualKey::kReturn) ||
        input.IsTriggered(Platform::VirtualKey::kLeftButton))
    {
        return true;
    }
    const Input::Joystick* pad = input.GetJoystick(0);
    return pad != nullptr && pad->connected &&
           std::ranges::any_of(kEndPadButtons,
                               [pad](std::uint16_t button) { return pad->IsButtonTriggered(button); });
}

// Scaled to cover the whole window at the texture's proportions; the camera follows the window.
void Credits::Cover() const
{
    const Graphics::Camera* camera = Graphics::System::GetInstance().GetCamera("Camera_GUI");
    auto* transform = GetParentObject()->GetComponent<Game::TransformComponent>();
    auto* text = dynamic_cast<TextGraphics*>(m_myGraphics);
    if (camera == nullptr || transform == nullptr || text == nullptr || text->GetTextureSize().y <= 0.0f ||
        camera->GetViewportSize().y <= 0.0f)
    {
        return;
    }
    const glm::vec2 window = camera->GetViewportSize();
    const float ratio = text->GetTextureSize().x / text->GetTextureSize().y;
    // The quad spans twice its scale.
    const glm::vec2 half = window.x / window.y >= ratio ? glm::vec2(window.x, window.x / ratio) * 0.5f
                                                        : glm::vec2(window.y * ratio, window.y) * 0.5f;
    transform->SetPosition({0.0f, 0.0f, transform->GetPosition().z});
    transform->SetScale({half.x, half.y, 1.0f});
}
