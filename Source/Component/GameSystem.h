#pragma once

#include "SystemManager/ISystem.h"

#include <set>
#include <string>
#include <unordered_map>

namespace Morvane::Game
{
class Object;

// Owns every game object: builds objects from data and archetype files, names them uniquely,
// initialises new objects and destroys marked ones at the next update.
class System : public ISystem
{
public:
    static System& GetInstance();

    bool Initialize() override;
    void Update(const float& dt) override;
    void Release() override;
    bool Parse(IParserData* data) override;
    // Adds "GameSystem" with an "Objects" list of every object to `parent`.
    bool Save(IParserData* parent);

    // A new empty object under a unique name made from `name`; initialised at the next update.
    Object* CreateObject(const std::string& name);
    // An object from an "Object" element: from its "archetype" file when it names one, otherwise
    // from its children.
    Object* CreateObject(const IParserData* element);
    // An object parsed from the archetypes folder's file `archetype`, or null.
    Object* CreateObjectFromArchetype(const std::string& name, const std::string& archetype);
    Object* GetObject(const std::string& name) const;
    // Destroys the object at the next update; it stays usable until then.
    void MarkForDeletion(Object* object);

    const std::string& GetArchetypesFolder() const { return m_archetypesFolder; }
    std::size_t GetObjectCount() const { return m_objects.size(); }

private:
    // One child of a game element: "Objects" (read like the element) or an "Object".
    bool ParseElement(IParserData& child);
    System();
    ~System() override;

    std::string MakeUniqueName(const std::string& baseName);
    void InitializePendingObjects();
    void DestroyPendingObjects();

    std::unordered_map<std::string, Object*> m_objects;
    std::unordered_map<std::string, int> m_nameCounters;
    std::set<Object*> m_pendingInitialization;
    std::set<Object*> m_pendingDeletion;
    std::string m_archetypesFolder;
    std::string m_path;
};
} // namespace Morvane::Game
