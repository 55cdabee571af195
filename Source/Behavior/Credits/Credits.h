#pragma once

#include "Behavior/BehaviorComponent.h"

#include <string>

namespace Morvane::Graphics
{
class Component;
}

// The closing credits of an ending: hidden until Start, then faded in over 5 s across the whole window,
// the ending's "title" over the menu's credits lines. Once shown, a key, a left click or a pad's A, B or
// Start returns to the main menu. With "start" true they roll as soon as they are made (a preview).
class Credits : public Morvane::Behavior::Component
{
public:
    static constexpr float kFadeTime = 5.0f;
    static constexpr const char* kMenuConfiguration = "$(ConfigurationFolder)Level_Menu.xml";

    explicit Credits(Morvane::Game::Object* owner) : Component(owner) {}

    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData* data) override;
    bool Initialize() override;
    void Update(const float& dt) override;

    void Start();
    bool IsActive() const { return m_active; }
    // The caption shown: the title, then each heading of the credits file with its lines.
    static std::string Caption(const std::string& title, const std::string& creditsPath);

private:
    static bool EndRequested();
    void Cover() const;

    std::string m_title;
    bool m_startAtOnce = false;
    Morvane::Graphics::Component* m_myGraphics = nullptr;
    bool m_active = false;
    float m_fadeTimer = 0.0f;
};
