#pragma once

#include "Behavior/BehaviorComponent.h"

#include <string>

namespace Morvane::Game
{
class Object;
}

// Holds gameplay and physics still while the level's background resources load: "Loading" with dots
// stepping every 0.4 s and a bar that fills with the share of resources done. Once none is pending it
// lets the game go ("READY TO GO") and destroys itself.
class LoadingScreen : public Morvane::Behavior::Component
{
public:
    static constexpr const char* kGameplaySet = "BehaviorSet_Gameplay";
    static constexpr float kDotPeriod = 0.4f;
    // The bar's full half-width and half-height in "Camera_GUI" pixels.
    static constexpr float kBarHalfWidth = 200.0f;
    static constexpr float kBarHalfHeight = 6.0f;

    explicit LoadingScreen(Morvane::Game::Object* owner) : Component(owner) {}

    bool Save(Morvane::IParserData* data) override;
    bool Initialize() override;
    void Update(const float& dt) override;
    // Destroyed before it finished, it still lets go of what it paused: those systems outlive it.
    void Release() override;

    float GetProgress() const { return m_progress; }

private:
    void Show();
    void Finish();
    void LetGo();

    Morvane::Game::Object* m_loadingText = nullptr;
    Morvane::Game::Object* m_loadingBar = nullptr;
    std::string m_loadingTextName;
    std::string m_loadingBarName;
    bool m_pausedGameplay = false;
    bool m_pausedPhysics = false;
    bool m_finished = false;
    int m_mostPending = 0;
    float m_progress = 0.0f;
    float m_time = 0.0f;
};
