#pragma once

#include "Component/GameSystem.h"
#include "Component/Object.h"

#include <algorithm>
#include <string>

namespace Morvane::Game
{
// A reference to another object's component that notices when that object is gone: the editor and
// level loads destroy objects that behaviors still point at. The component counts as alive while an
// object of the remembered name exists and still lists that very component.
template <class T> class ComponentHandle
{
public:
    ComponentHandle() = default;
    explicit ComponentHandle(T* component) { Reset(component); }

    void Reset(T* component = nullptr)
    {
        m_component = component;
        const Object* owner = component != nullptr ? component->GetParentObject() : nullptr;
        m_objectName = owner != nullptr ? owner->GetName() : std::string();
        if (owner == nullptr)
        {
            m_component = nullptr;
        }
    }

    // The component, or null once its object has gone (or nothing was set).
    T* Get() const
    {
        if (m_component == nullptr)
        {
            return nullptr;
        }
        const Object* owner = System::GetInstance().GetObject(m_objectName);
        if (owner == nullptr)
        {
            return nullptr;
        }
        const auto& components = owner->GetComponents();
        const bool listed = std::find(components.begin(), components.end(), m_component) != components.end();
        return listed ? m_component : nullptr;
    }

    // Whether something was set, alive or not: a set handle that reads null has lost its object.
    bool IsSet() const { return m_component != nullptr; }
    const std::string& GetObjectName() const { return m_objectName; }

private:
    T* m_component = nullptr;
    std::string m_objectName;
};
} // namespace Morvane::Game
