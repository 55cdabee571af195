#pragma once

#include "Component/ComponentRegistry.h"
#include "Parsing/IParseable.h"
#include "System/Pool/Pooled.h"

#include <string>
#include <vector>

namespace Morvane::Game
{
class Component;

// A named bag of components. The object owns its transforms; every other component belongs to the
// system of its kind, which creates it during Parse and destroys it during Release.
class Object : public IParseable, public Pooled<Object>
{
public:
    explicit Object(std::string name);
    ~Object() override;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // Creates one component per child element, in order. False at the first component that could
    // not be created or parsed; the components created before it stay.
    bool Parse(const IParserData* data) override;
    // Adds an "Object" child to `parent` and saves every component into it.
    bool Save(IParserData* parent) override;
    // Initialises every component, going on after failures; true only if all succeeded.
    virtual bool Initialize();
    // Hands every component back to its owner; the list is empty afterwards.
    virtual void Release();

    const std::string& GetName() const { return m_name; }
    const std::vector<Component*>& GetComponents() const { return m_components; }

    // Appends a component that its system created for this object.
    void AddComponent(Component* component);
    // Forgets a component without destroying it; its system is destroying it.
    void DetachComponent(const Component* component);

    // The first component that is a T, in list order, or null.
    template <class T> T* GetComponent() const
    {
        for (Component* component : m_components)
        {
            if (T* found = dynamic_cast<T*>(component))
            {
                return found;
            }
        }
        return nullptr;
    }

private:
    std::string Channel() const;
    bool CreateTransform(const IParserData* element);
    bool CreateOwnedComponent(ComponentRegistry::Kind kind, const IParserData* element);

    const std::string m_name;
    std::vector<Component*> m_components;
};
// Releases and destroys a component its system created. It is detached from its owner first: the owner
// may outlive the system's release and must not keep a destroyed component.
template <class ComponentType> void DestroyComponent(ComponentType* component)
{
    if (Object* owner = component->GetParentObject())
    {
        owner->DetachComponent(component);
    }
    component->Release();
    delete component;
}
} // namespace Morvane::Game
