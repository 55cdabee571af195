#pragma once

#include "Behavior/BehaviorComponent.h"

#include <functional>
#include <glm/vec4.hpp>
#include <string>

namespace Morvane::Game
{
class TransformComponent;
}
namespace Morvane::Graphics
{
class Component;
}

// One line of the main menu: it eases toward its normal, hover or held colour, calls its action when
// the left button is released over it, and plays a click when the pointer or the keys move onto it.
//
// Only a shown button reacts, and only from the frame after it was shown, so that the release that
// opened its page does not also press it.
class MenuButton : public Morvane::Behavior::Component
{
public:
    using Action = std::function<void()>;
    // Asked when the mouse moves onto the button; the menu decides what has the focus.
    using FocusRequest = std::function<void(MenuButton&)>;

    static constexpr float kColourRate = 5.0f;
    static constexpr int kClickSounds = 8;

    explicit MenuButton(Morvane::Game::Object* owner) : Component(owner) {}

    bool Save(Morvane::IParserData* data) override;
    bool Initialize() override;
    void Update(const float& dt) override;

    const std::string& GetPage() const { return m_page; }
    void SetPage(const std::string& page) { m_page = page; }
    void SetAction(Action action) { m_action = std::move(action); }
    bool HasAction() const { return static_cast<bool>(m_action); }
    void SetFocusRequest(FocusRequest request) { m_focusRequest = std::move(request); }
    void SetColours(const glm::vec4& normal, const glm::vec4& hover, const glm::vec4& held);

    void SetShown(bool shown);
    bool IsShown() const { return m_shown; }
    void SetFocused(bool focused) { m_focused = focused; }
    bool IsFocused() const { return m_focused; }
    bool IsHovered() const { return m_hovered; }
    const glm::vec4& GetColour() const { return m_colour; }

    // Runs the action, if there is one.
    void Click();
    // The click sound of a pointer or key arriving on the button.
    static void PlayEntrySound();

private:
    bool IsCursorOver() const;
    glm::vec4 TargetColour(bool leftHeld) const;

    std::string m_page;
    Action m_action;
    FocusRequest m_focusRequest;
    glm::vec4 m_normalColour{0.78f, 0.8f, 0.86f, 1.0f};
    glm::vec4 m_hoverColour{1.0f, 0.84f, 0.4f, 1.0f};
    glm::vec4 m_heldColour{1.0f, 0.56f, 0.22f, 1.0f};
    glm::vec4 m_colour = m_normalColour;
    bool m_hovered = false;
    bool m_focused = false;
    bool m_shown = false;
    bool m_armed = false;
    Morvane::Game::TransformComponent* m_transform = nullptr;
    Morvane::Graphics::Component* m_graphics = nullptr;
    Morvane::Game::TransformComponent* m_cursor = nullptr;
};
