#pragma once

#include "Behavior/BehaviorComponent.h"

#include <functional>
#include <glm/vec2.hpp>
#include <string>
#include <vector>

class MenuButton;
class TextGraphics;

namespace Morvane::Audio
{
class Component;
}
namespace Morvane::Game
{
class TransformComponent;
}
namespace Morvane::Graphics
{
class Camera;
class Component;
} // namespace Morvane::Graphics

// The main menu: the start, options and credits pages of text buttons over a slowly circling world
// camera. The mouse points and clicks; the arrows, W/S or a pad move a focus and Enter, Space or A
// press it; Escape, Backspace or B go back.
class Menu : public Morvane::Behavior::Component
{
public:
    static constexpr float kCameraHeight = 16.0134f;
    static constexpr float kCameraRadius = 26.0f;
    static constexpr float kCameraSpeed = 0.06f; // radians a second
    static constexpr float kRepeatDelay = 0.3f;
    static constexpr float kStickThreshold = 0.5f;

    explicit Menu(Morvane::Game::Object* owner) : Component(owner) {}

    bool Save(Morvane::IParserData* data) override;
    bool Initialize() override;
    void Update(const float& dt) override;
    void Release() override;

    // Shows the buttons of page `name`, focused on its first one, and hides all others.
    void SetPage(const std::string& name);
    const std::string& GetPage() const { return m_page; }

private:
    using Caption = std::function<std::string()>;

    struct Entry
    {
        MenuButton* button = nullptr;
        TextGraphics* text = nullptr;
        Morvane::Game::TransformComponent* transform = nullptr;
        Caption caption;
        int column = 0;
        int row = 0;
        float size = 1.0f;
    };

    Entry* AddButton(const std::string& objectName, const std::string& page, Caption caption,
                     std::function<void()> action, int column, int row);
    void CreateStartPage();
    void CreateOptionsPage();
    void CreateCreditsPage();
    void OpenAddress(const std::string& address) const;

    void RefreshCaptions();
    void LayOut();
    void UpdateCamera(float dt);
    void UpdateCursor();
    void UpdateKeys(float dt);
    int HeldDirection() const;
    void MoveFocus(int direction);
    void Focus(MenuButton* button, bool withSound);
    void ClickBack();
    std::vector<MenuButton*> Focusable() const;

    std::vector<Entry> m_entries;
    std::string m_page;
    MenuButton* m_focus = nullptr;
    bool m_started = false;
    float m_time = 0.0f;
    int m_repeatDirection = 0;
    float m_repeatTimer = 0.0f;
    glm::vec2 m_laidOutFor{0.0f};
    Morvane::Audio::Component* m_audio = nullptr;
    Morvane::Graphics::Camera* m_worldCamera = nullptr;
    Morvane::Graphics::Camera* m_guiCamera = nullptr;
    Morvane::Game::TransformComponent* m_cursor = nullptr;
    Morvane::Graphics::Component* m_cursorGraphics = nullptr;
};
