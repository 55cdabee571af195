#include "Behavior/LoadingScreen/LoadingScreen.h"

#include "Behavior/BehaviorSet.h"
#include "Behavior/BehaviorSystem.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/TextGraphics/TextGraphics.h"
#include "Parsing/IParserData.h"
#include "Physics/PhysicsSystem.h"
#include "Resources/ResourceSystem.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>

using namespace Morvane;

namespace
{
const char* const kDots = "....";
constexpr int kDotSteps = 5;
constexpr float kBarY = -60.0f;
} // namespace

bool LoadingScreen::Save(IParserData* data)
{
    data->AddChild("Behavior")->SetAttribute("type", "BehaviorComponent_LoadingScreen");
    return true;
}

bool LoadingScreen::Initialize()
{
    Behavior::System& behaviors = Behavior::System::GetInstance();
    const Behavior::BehaviorSet* gameplay = behaviors.FindSet(kGameplaySet);
    m_pausedGameplay = gameplay != nullptr && !gameplay->IsPaused();
    behaviors.SetPaused(kGameplaySet, true);
    Physics::System& physics = Physics::System::GetInstance();
    m_pausedPhysics = !physics.IsPaused();
    physics.SetPaused(true);

    Game::System& game = Game::System::GetInstance();
    m_loadingText = game.CreateObjectFromArchetype("LoadingText", "GUI_Text.xml");
    MORVANE_ASSERT_NAMED(m_loadingText != nullptr, "m_loadingText", __LINE__);
    m_loadingTextName = m_loadingText->GetName();
    m_loadingBar = game.CreateObjectFromArchetype("LoadingBar", "LoadingBar.xml");
    if (m_loadingBar != nullptr)
    {
        m_loadingBarName = m_loadingBar->GetName();
    }
    m_mostPending = Resources::System::GetInstance().GetPendingCount();
    Show();
    return true;
}

void LoadingScreen::Update(const float& dt)
{
    if (m_finished)
    {
        return;
    }
    m_time += dt;
    const int pending = Resources::System::GetInstance().GetPendingCount();
    m_mostPending = std::max(m_mostPending, pending);
    const float done =
        m_mostPending == 0 ? 1.0f : 1.0f - static_cast<float>(pending) / static_cast<float>(m_mostPending);
    // More work queued later lowers the share done; the bar never goes back.
    m_progress = std::max(m_progress, done);
    Show();
    if (pending == 0)
    {
        Finish();
    }
}

void LoadingScreen::Show()
{
    if (auto* text = m_loadingText != nullptr ? m_loadingText->GetComponent<TextGraphics>() : nullptr)
    {
        const int dots = static_cast<int>(m_time / kDotPeriod) % kDotSteps;
        text->SetCaption(std::string("Loading") + std::string(kDots, static_cast<std::size_t>(dots)));
    }
    if (auto* transform =
            m_loadingBar != nullptr ? m_loadingBar->GetComponent<Game::TransformComponent>() : nullptr)
    {
        // Filled from the left end.
        const float halfWidth = std::max(m_progress * kBarHalfWidth, 0.5f);
        transform->SetScale({halfWidth, kBarHalfHeight, 1.0f});
        transform->SetPosition({halfWidth - kBarHalfWidth, kBarY, 0.0f});
    }
}

void LoadingScreen::Finish()
{
    m_finished = true;
    LetGo();
    Log::Info(GetOwnerName(), "READY TO GO");
    Release();
    Game::System::GetInstance().MarkForDeletion(GetParentObject());
}

void LoadingScreen::LetGo()
{
    if (m_pausedGameplay)
    {
        Behavior::System::GetInstance().SetPaused(kGameplaySet, false);
        m_pausedGameplay = false;
    }
    if (m_pausedPhysics)
    {
        Physics::System::GetInstance().SetPaused(false);
        m_pausedPhysics = false;
    }
}

void LoadingScreen::Release()
{
    LetGo();
    Game::System& game = Game::System::GetInstance();
    // By name: at shutdown the game system may have destroyed them already.
    for (const std::string& name : {m_loadingTextName, m_loadingBarName})
    {
        if (!name.empty())
        {
            game.MarkForDeletion(game.GetObject(name));
        }
    }
    m_loadingTextName.clear();
    m_loadingBarName.clear();
    m_loadingText = nullptr;
    m_loadingBar = nullptr;
}
