#include "Behavior/BehaviorSet.h"

#include "Behavior/BehaviorComponent.h"
#include "Component/GameSystem.h"

#include <algorithm>

namespace Morvane::Behavior
{
BehaviorSet::BehaviorSet(std::string name, float stepTime, bool paused)
    : m_name(std::move(name)), m_stepTime(stepTime), m_accumulator(stepTime), m_paused(paused)
{
}

void BehaviorSet::Add(Component* component)
{
    m_components.push_back(component);
}

void BehaviorSet::Remove(const Component* component)
{
    if (m_updating)
    {
        std::replace_if(
            m_components.begin(), m_components.end(),
            [component](const Component* member) { return member == component; }, nullptr);
    }
    else
    {
        std::erase(m_components, component);
    }
}

bool BehaviorSet::Contains(const Component* component) const
{
    return std::find(m_components.begin(), m_components.end(), component) != m_components.end();
}

void BehaviorSet::Update(const float& dt)
{
    if (m_paused)
    {
        return;
    }
    m_accumulator += dt;
    if (m_stepTime > m_accumulator)
    {
        return;
    }
    m_accumulator = 0.0f;
    UpdateMembers(dt);
}

void BehaviorSet::UpdateMembers(const float& dt)
{
    struct UpdatingFlag
    {
        BehaviorSet& set;
        explicit UpdatingFlag(BehaviorSet& owner) : set(owner) { set.m_updating = true; }
        ~UpdatingFlag()
        {
            set.m_updating = false;
            std::erase(set.m_components, nullptr);
        }
        UpdatingFlag(const UpdatingFlag&) = delete;
        UpdatingFlag& operator=(const UpdatingFlag&) = delete;
    };
    const UpdatingFlag flag(*this);
    // Members appended during the walk first update when the set fires next, and none updates before
    // its object is initialised (one made by another set's behavior earlier this frame).
    const Game::System& game = Game::System::GetInstance();
    const std::size_t count = m_components.size();
    for (std::size_t index = 0; index < count; ++index)
    {
        Component* component = m_components[index];
        if (component != nullptr && !game.IsAwaitingInitialization(component->GetParentObject()))
        {
            component->Update(dt);
        }
    }
}
} // namespace Morvane::Behavior
