#include "Behavior/GravitationalPlatform/GravitationalPlatform.h"

#include "Behavior/CharacterController/CharacterController.h"
#include "Behavior/Trigger/Trigger.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Parsing/IParserData.h"
#include "Physics/PhysicsComponent.h"
#include "Shape/AABB.h"
#include "System/Assert/Assertion.h"

using namespace Morvane;

bool GravitationalPlatform::Save(IParserData* data)
{
    data->AddChild("Behavior")->SetAttribute("type", "BehaviorComponent_GravitationalPlatform");
    return true;
}

bool GravitationalPlatform::Initialize()
{
    const auto* transform = GetParentObject()->GetComponent<Game::TransformComponent>();
    MORVANE_ASSERT_NAMED(transform != nullptr, "myTransform", __LINE__);
    if (transform == nullptr)
    {
        return false;
    }
    const glm::vec3 position = transform->GetPosition();
    const glm::vec3 scale = glm::abs(transform->GetScale());
    Game::System& game = Game::System::GetInstance();
    for (int axis = 0; axis < 3; ++axis)
    {
        for (const float side : {1.0f, -1.0f})
        {
            glm::vec3 offset(0.0f);
            offset[axis] = side;
            // Pulls back toward the platform: the trigger above it pulls down.
            const glm::vec3 gravity = -offset * kGravity;
            Game::Object* object = game.CreateObjectFromArchetype("Trigger", "Trigger.xml");
            MORVANE_ASSERT_NAMED(object != nullptr, "object", __LINE__);
            if (object == nullptr)
            {
                continue;
            }
            m_triggers.push_back(object->GetName());
            auto* triggerTransform = object->GetComponent<Game::TransformComponent>();
            auto* body = object->GetComponent<Physics::Component>();
            auto* box = body != nullptr ? dynamic_cast<Physics::AABB*>(body->GetShape()) : nullptr;
            auto* trigger = object->GetComponent<Trigger>();
            MORVANE_ASSERT_NAMED(triggerTransform != nullptr && box != nullptr && trigger != nullptr,
                                 "trigger", __LINE__);
            if (triggerTransform == nullptr || box == nullptr || trigger == nullptr)
            {
                continue;
            }
            triggerTransform->SetPosition(position + scale * offset);
            triggerTransform->SetScale(scale * kTriggerShare);
            box->SetHalfSize(scale * kTriggerShare * 0.5f);
            // Whoever enters: only a character turns, and by its own body, so a restarted level's
            // player (another name) is served as well.
            trigger->SetOnEnter(
                [gravity](Physics::Component* other)
                {
                    CharacterController* character =
                        other != nullptr ? other->GetParentObject()->GetComponent<CharacterController>()
                                         : nullptr;
                    if (character != nullptr)
                    {
                        character->SetGravity(gravity);
                    }
                });
        }
    }
    return true;
}

void GravitationalPlatform::Release()
{
    Game::System& game = Game::System::GetInstance();
    for (const std::string& name : m_triggers)
    {
        game.MarkForDeletion(game.GetObject(name));
    }
    m_triggers.clear();
}
