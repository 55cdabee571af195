#include "Component/Object.h"

#include "Component/Component.h"
#include "Component/ComponentRegistry.h"
#include "Component/TransformComponent.h"
#include "Parsing/IParserData.h"
#include "Platform/TypeName.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>

namespace Morvane::Game
{
Object::Object(std::string name) : m_name(std::move(name)) {}

Object::~Object()
{
    Release();
}

std::string Object::Channel() const
{
    return Format("Object '%s'", m_name.c_str());
}

bool Object::Parse(const IParserData* data)
{
    MORVANE_ASSERT_NAMED(data != nullptr, "parserData", __LINE__);
    for (const IParserData* child = data->GetFirstChild(); child != nullptr; child = child->GetNextSibling())
    {
        const std::string name = child->GetName();
        if (name == "Transform")
        {
            if (!CreateTransform(child))
            {
                return false;
            }
        }
        else if (const ComponentRegistry::Kind* kind = ComponentRegistry::GetInstance().FindByElement(name))
        {
            if (!CreateOwnedComponent(*kind, child))
            {
                return false;
            }
        }
        else
        {
            Log::Warning(Channel(), Format("Unknown parser element '%s'", name.c_str()));
        }
    }
    return true;
}

bool Object::CreateTransform(const IParserData* element)
{
    auto* transform = new TransformComponent(this);
    if (!transform->Parse(element))
    {
        Log::Error(Channel(), "Could not create transform component");
        delete transform;
        return false;
    }
    m_components.push_back(transform);
    return true;
}

// The kind is a copy: creating a component may build its system, which may register new kinds
// and so move the table.
bool Object::CreateOwnedComponent(ComponentRegistry::Kind kind, const IParserData* element)
{
    Component* component = kind.create != nullptr ? kind.create(this, element) : nullptr;
    if (component == nullptr)
    {
        Log::Warning(Channel(), Format("Could not create component '%s'", kind.elementName.c_str()));
        return false;
    }
    bool parsed = false;
    try
    {
        parsed = component->Parse(element);
    }
    catch (...)
    {
        // An assertion in Parse unwinds past this object: its system must not keep a component that
        // nobody owns and that points at an object about to go.
        kind.destroy(component);
        throw;
    }
    if (!parsed)
    {
        Log::Error(Channel(), Format("Could not create %s component", kind.label.c_str()));
        kind.destroy(component);
        return false;
    }
    m_components.push_back(component);
    return true;
}

bool Object::Save(IParserData* parent)
{
    IParserData* element = parent->AddChild("Object");
    element->SetAttribute("name", m_name);
    for (Component* component : m_components)
    {
        if (!component->Save(element))
        {
            Log::Error(Channel(), Format("Component '%s' could not save properly",
                                         Platform::GetTypeName(*component).c_str()));
            return false;
        }
    }
    return true;
}

bool Object::Initialize()
{
    bool allInitialized = true;
    for (std::size_t index = 0; index < m_components.size(); ++index)
    {
        Component* component = m_components[index];
        if (!component->Initialize())
        {
            Log::Error(Channel(), Format("Could not initialize component '%s'",
                                         Platform::GetTypeName(*component).c_str()));
            allInitialized = false;
        }
    }
    return allInitialized;
}

void Object::Release()
{
    // Taken out first: a system's delete operation detaches the component from this object.
    const std::vector<Component*> components = std::move(m_components);
    m_components.clear();
    const ComponentRegistry& registry = ComponentRegistry::GetInstance();
    for (Component* component : components)
    {
        if (dynamic_cast<TransformComponent*>(component) != nullptr)
        {
            delete component;
        }
        else if (const ComponentRegistry::Kind* kind = registry.FindByComponent(component))
        {
            kind->destroy(component);
        }
        else
        {
            Log::Error(Channel(), Format("Not controlled component deletion of '%s'",
                                         Platform::GetTypeName(*component).c_str()));
        }
    }
}

void Object::AddComponent(Component* component)
{
    m_components.push_back(component);
}

void Object::DetachComponent(const Component* component)
{
    std::erase(m_components, component);
}
} // namespace Morvane::Game
