#include "Behavior/Menu/MenuButton.h"

#include "Behavior/GameRandom/GameRandom.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/GraphicsComponent.h"
#include "Input/InputSystem.h"
#include "Parsing/IParserData.h"
#include "Platform/KeyCodes.h"
#include "Sound/AudioSystem.h"
#include "System/Logging/Format.h"

#include <algorithm>
#include <cmath>

using namespace Morvane;

bool MenuButton::Save(IParserData* data)
{
    data->AddChild("Behavior")->SetAttribute("type", "BehaviorComponent_MenuButton");
    return true;
}

bool MenuButton::Initialize()
{
    m_transform = GetParentObject()->GetComponent<Game::TransformComponent>();
    m_graphics = GetParentObject()->GetComponent<Graphics::Component>();
    const Game::Object* cursor = Game::System::GetInstance().GetObject("Cursor");
    m_cursor = cursor != nullptr ? cursor->GetComponent<Game::TransformComponent>() : nullptr;
    if (m_graphics != nullptr)
    {
        m_graphics->SetVisible(m_shown);
        m_graphics->SetDiffuseColor(m_colour);
    }
    return m_transform != nullptr;
}

void MenuButton::SetColours(const glm::vec4& normal, const glm::vec4& hover, const glm::vec4& held)
{
    m_normalColour = normal;
    m_hoverColour = hover;
    m_heldColour = held;
    m_colour = normal;
}

void MenuButton::SetShown(bool shown)
{
    m_shown = shown;
    m_armed = false;
    m_hovered = false;
    m_focused = false;
    m_colour = m_normalColour;
    if (m_graphics != nullptr)
    {
        m_graphics->SetVisible(shown);
        m_graphics->SetDiffuseColor(m_colour);
    }
}

bool MenuButton::IsCursorOver() const
{
    if (m_cursor == nullptr || m_transform == nullptr)
    {
        return false;
    }
    // The quad is drawn twice its scale across: the whole line it shows takes the pointer.
    const glm::vec3 offset = m_cursor->GetPosition() - m_transform->GetPosition();
    const glm::vec3 scale = m_transform->GetScale();
    return std::abs(offset.x) <= std::abs(scale.x) && std::abs(offset.y) <= std::abs(scale.y);
}

glm::vec4 MenuButton::TargetColour(bool leftHeld) const
{
    if (m_hovered && leftHeld && m_action)
    {
        return m_heldColour;
    }
    return m_hovered || m_focused ? m_hoverColour : m_normalColour;
}

void MenuButton::Update(const float& dt)
{
    if (!m_shown)
    {
        return;
    }
    const Input::System& input = Input::System::GetInstance();
    const bool over = IsCursorOver();
    const bool moved = input.mouseDeltaX != 0 || input.mouseDeltaY != 0;
    // The frame the page appears only looks: whatever happened this frame belongs to the page before.
    const bool armed = m_armed;
    m_armed = true;
    const bool entered = over && !m_hovered;
    m_hovered = over;
    if (armed && over && moved && !m_focused && m_focusRequest)
    {
        m_focusRequest(*this);
    }
    else if (armed && entered && !m_focusRequest)
    {
        PlayEntrySound();
    }

    const Input::KeyState left = input.GetKeyState(Platform::VirtualKey::kLeftButton);
    const bool leftHeld = left == Input::KeyState::Triggered || left == Input::KeyState::Held;
    m_colour += (TargetColour(leftHeld) - m_colour) * std::min(dt * kColourRate, 1.0f);
    if (m_graphics != nullptr)
    {
        m_graphics->SetDiffuseColor(m_colour);
    }
    if (armed && over && left == Input::KeyState::Released)
    {
        Click();
    }
}

void MenuButton::Click()
{
    if (m_action)
    {
        // The action may switch the page and so reset this button: it runs on a copy.
        const Action action = m_action;
        action();
    }
}

void MenuButton::PlayEntrySound()
{
    Audio::System::GetInstance().PlaySound(Format("Sound_MenuButton_%d", GameRandom::Draw() % kClickSounds));
}
