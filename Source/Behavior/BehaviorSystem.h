#pragma once

#include "SystemManager/ISystem.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Morvane::Game
{
class Object;
}

namespace Morvane::Behavior
{
class BehaviorSet;
class Component;

// Owns every behavior component, creates them through the game's factory and updates them in
// named sets, each with its own step time and pause flag, in the order the sets were declared.
class System : public ISystem
{
public:
    using ComponentFactory = Component* (*)(Game::Object* owner, const IParserData* element);

    static System& GetInstance();

    bool Initialize() override { return true; }
    void Update(const float& dt) override;
    void Release() override;
    bool Parse(IParserData* data) override;

    // A new component from the custom factory, registered into the sets its element names, or null.
    // The caller parses it.
    Component* CreateComponent(Game::Object* owner, const IParserData* element);
    // Takes the component out of every set, releases and destroys it.
    void DeleteComponent(Component* component);
    void AddComponentToSet(Component* component, const std::string& setName);
    void SetPaused(const std::string& setName, bool paused);
    // The names of the sets that hold `component`, in name order.
    std::vector<std::string> GetComponentSets(const Component* component) const;
    // Adds `component` to the sets listed in the element's "behaviorSets", or in those of its
    // "Common" children.
    void RegisterComponent(Component* component, const IParserData* element);

    const BehaviorSet* FindSet(const std::string& setName) const;
    std::size_t GetComponentCount() const { return m_components.size(); }

    // The game's factory; installed at start-up before any behavior is parsed.
    ComponentFactory m_customComponentFactory = nullptr;

private:
    System();
    ~System() override;

    void CreateSet(const IParserData* element);

    std::map<std::string, std::unique_ptr<BehaviorSet>> m_sets;
    std::vector<BehaviorSet*> m_setOrder;
    std::vector<Component*> m_components;
};
} // namespace Morvane::Behavior
