#pragma once

#include "System/Pool/Pooled.h"

#include <string>

namespace Morvane
{
class IParserData;
}

namespace Morvane::Game
{
class Object;

// Base of every component kind. A component belongs to one object for its whole life and is
// created and destroyed by the system that owns its kind (the transform by its object).
class Component : public Pooled<Component>
{
public:
    explicit Component(Object* parentObject) : m_parentObject(parentObject) {}
    virtual ~Component() = default;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    // Reads "id".
    virtual bool Parse(const IParserData* data);
    virtual bool Save(IParserData* data) = 0;
    // Copies this component's settings into `destination`, which must be of the same concrete type.
    virtual void Clone(Component* destination) = 0;
    virtual bool Initialize() { return true; }

    Object* GetParentObject() const { return m_parentObject; }
    // The owner's name, for log channels; an owner is required.
    const std::string& GetOwnerName() const;
    const std::string& GetId() const { return m_id; }

protected:
    Object* const m_parentObject;
    std::string m_id;
};
} // namespace Morvane::Game
