#include "Behavior/Trigger/Trigger.h"

#include "Component/Object.h"
#include "Parsing/IParserData.h"
#include "Physics/PhysicsComponent.h"

using namespace Morvane;

bool Trigger::Save(IParserData* data)
{
    data->AddChild("Behavior")->SetAttribute("type", "BehaviorComponent_Trigger");
    return true;
}

bool Trigger::Initialize()
{
    m_body = GetParentObject()->GetComponent<Physics::Component>();
    return true;
}

void Trigger::Update(const float&)
{
    if (m_body == nullptr)
    {
        return;
    }
    m_touchedLastFrame = m_touching;
    Physics::Component* other = nullptr;
    for (const Physics::Contact& contact : m_body->GetContacts())
    {
        if (contact.other != nullptr)
        {
            other = contact.other;
            break;
        }
    }
    m_touching = other != nullptr;
    // Copied first: a callback may destroy this trigger's object, or load a level.
    if (m_touching && !m_touchedLastFrame && m_onEnter)
    {
        const Callback onEnter = m_onEnter;
        onEnter(other);
    }
    else if (!m_touching && m_touchedLastFrame && m_onExit)
    {
        const Callback onExit = m_onExit;
        onExit(nullptr);
    }
    else if (m_touching && m_touchedLastFrame && m_onStay)
    {
        const Callback onStay = m_onStay;
        onStay(other);
    }
}
