#include "Behavior/Button/Button.h"

#include "Analytics/AnalyticsEvent.h"
#include "Analytics/AnalyticsSystem.h"
#include "Behavior/CharacterController/CharacterController.h"
#include "Behavior/Door/Door.h"
#include "Behavior/GameLogic/GameLogic.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Parsing/IParserData.h"
#include "Physics/PhysicsComponent.h"
#include "Sound/AudioComponent.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <cmath>

using namespace Morvane;

bool Button::Save(IParserData* data)
{
    data->AddChild("Behavior")->SetAttribute("type", "BehaviorComponent_Button");
    return true;
}

bool Button::Initialize()
{
    m_transform = GetParentObject()->GetComponent<Game::TransformComponent>();
    MORVANE_ASSERT_NAMED(m_transform != nullptr, "myTransform", __LINE__);
    m_body = GetParentObject()->GetComponent<Physics::Component>();
    m_targetScale = glm::vec3(0.0f);
    return true;
}

bool Button::IsTouchedByPlayer() const
{
    if (m_body == nullptr)
    {
        return false;
    }
    return std::any_of(m_body->GetContacts().begin(), m_body->GetContacts().end(),
                       [](const Physics::Contact& contact)
                       {
                           return contact.other != nullptr &&
                                  contact.other->GetParentObject()->GetComponent<CharacterController>() !=
                                      nullptr;
                       });
}

void Button::Update(const float& dt)
{
    if (!m_pressed)
    {
        // One press however many contacts the player makes in this step (box and sweep alike).
        if (IsTouchedByPlayer())
        {
            Press();
        }
        return;
    }
    const glm::vec3 scale = m_transform->GetScale();
    if (scale == m_targetScale)
    {
        return;
    }
    glm::vec3 next = scale + (m_targetScale - scale) * std::min(dt * kShrinkRate, 1.0f);
    // Close enough is there: the exponential approach would otherwise never end.
    for (int axis = 0; axis < 3; ++axis)
    {
        if (std::abs(next[axis] - m_targetScale[axis]) < 1e-4f)
        {
            next[axis] = m_targetScale[axis];
        }
    }
    m_transform->SetScale(next);
}

void Button::Press()
{
    Game::System& game = Game::System::GetInstance();
    AnalyticsEvent event = AnalyticsEvent::Design("Brimora:Button:Activate");
    const Game::Object* logicObject = game.GetObject(GameLogic::kObjectName);
    const GameLogic* logic = logicObject != nullptr ? logicObject->GetComponent<GameLogic>() : nullptr;
    MORVANE_ASSERT_NAMED(logic != nullptr, "gameLogic", __LINE__);
    event.fields["area"] = logic != nullptr ? logic->GetLevelPath() : "";
    if (m_transform != nullptr)
    {
        const glm::vec3& position = m_transform->GetPosition();
        event.fields["x"] = Format("%.2f", position.x);
        event.fields["y"] = Format("%.2f", position.y);
        event.fields["z"] = Format("%.2f", position.z);
    }
    GameAnalytics::System::GetInstance().SubmitEvent(event);

    if (Game::Object* target = game.GetObject(m_activatableName))
    {
        if (Door* door = target->GetComponent<Door>())
        {
            door->Open();
        }
    }
    m_pressed = true;
    Log::Info("Button", Format("Marking '%s' for deletion", m_activatableName.c_str()));
    auto* audio = GetParentObject()->GetComponent<Audio::Component>();
    MORVANE_ASSERT_NAMED(audio != nullptr, "myAudio", __LINE__);
    if (audio != nullptr && !audio->IsPlaying())
    {
        audio->SetSound("Sound_Button");
        audio->Play(false);
    }
}
