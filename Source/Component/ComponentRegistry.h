#pragma once

#include <string>
#include <vector>

namespace Morvane
{
class IParserData;
}

namespace Morvane::Game
{
class Component;
class Object;

// The create and delete operations of every component kind that a system owns, by element name.
// Objects build and release their components only through this table, so a kind whose system is
// not running simply creates nothing.
class ComponentRegistry
{
public:
    using CreateFunction = Component* (*)(Object* owner, const IParserData* element);
    using DeleteFunction = void (*)(Component* component);
    using KindTest = bool (*)(const Component* component);

    struct Kind
    {
        std::string elementName;
        // Lower-case name of the kind in messages ("behavior").
        std::string label;
        CreateFunction create = nullptr;
        DeleteFunction destroy = nullptr;
        KindTest isKind = nullptr;
    };

    static ComponentRegistry& GetInstance();

    // Installs (or replaces) the operations of the kind read from elements named `elementName`.
    void Register(const std::string& elementName, CreateFunction create, DeleteFunction destroy,
                  KindTest isKind);
    // Register with the kind test "is a `ComponentT`".
    template <typename ComponentT>
    void RegisterKind(const std::string& elementName, CreateFunction create, DeleteFunction destroy)
    {
        Register(elementName, create, destroy,
                 [](const Component* component)
                 { return dynamic_cast<const ComponentT*>(component) != nullptr; });
    }
    // The kind of that element name, registered or not yet, or null when no kind has that name.
    const Kind* FindByElement(const std::string& elementName) const;
    // The registered kind that `component` belongs to, or null.
    const Kind* FindByComponent(const Component* component) const;

private:
    ComponentRegistry();
    ComponentRegistry(const ComponentRegistry&) = delete;
    ComponentRegistry& operator=(const ComponentRegistry&) = delete;

    std::vector<Kind> m_kinds;
};
} // namespace Morvane::Game
