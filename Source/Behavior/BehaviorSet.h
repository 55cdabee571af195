#pragma once

#include <string>
#include <vector>

namespace Morvane::Behavior
{
class Component;

// Behaviors updated together, with their own step time and pause flag.
class BehaviorSet
{
public:
    BehaviorSet(std::string name, float stepTime, bool paused);

    const std::string& GetName() const { return m_name; }
    bool IsPaused() const { return m_paused; }
    void SetPaused(bool paused) { m_paused = paused; }
    float GetStepTime() const { return m_stepTime; }
    float GetAccumulator() const { return m_accumulator; }

    // Appended even when already a member: a component listed twice updates twice.
    void Add(Component* component);
    // Removes every occurrence.
    void Remove(const Component* component);
    bool Contains(const Component* component) const;

    // Gathers `dt` and, once the step time has passed, updates every member with `dt`. The excess
    // over the step time is dropped, so a long frame fires the set once.
    void Update(const float& dt);

private:
    void UpdateMembers(const float& dt);

    std::string m_name;
    std::vector<Component*> m_components;
    float m_stepTime;
    float m_accumulator;
    bool m_paused;
    // While members update, removals leave a hole so the walk stays valid; holes go afterwards.
    bool m_updating = false;
};
} // namespace Morvane::Behavior
