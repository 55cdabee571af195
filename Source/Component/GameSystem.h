#pragma once

#include "SystemManager/ISystem.h"

#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

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
    // An object parsed from the archetypes folder's file `archetype`, or null. Each file is read once
    // and its tree kept until Release, or until the designer reloads it (F9) after changing it.
    Object* CreateObjectFromArchetype(const std::string& name, const std::string& archetype);
    Object* GetObject(const std::string& name) const;
    // Destroys the object at the next update; it stays usable until then.
    void MarkForDeletion(Object* object);
    // Made since the last update, so not initialised yet.
    bool IsAwaitingInitialization(const Object* object) const
    {
        return !m_pendingInitialization.empty() &&
               m_pendingInitialization.contains(const_cast<Object*>(object));
    }

    const std::string& GetArchetypesFolder() const { return m_archetypesFolder; }
    std::size_t GetObjectCount() const { return m_objects.size(); }
    // Every live object, oldest first.
    const std::vector<Object*>& GetObjectsInCreationOrder() const { return m_creationOrder; }

private:
    // One child of a game element: "Objects" (read like the element) or an "Object".
    bool ParseElement(IParserData& child);
    System();
    ~System() override;

    std::string MakeUniqueName(const std::string& baseName);
    // The tree of the archetype file at `path` (already expanded), read now if it is not kept yet;
    // null when it cannot be read.
    const IParserData* FindArchetype(const std::string& path);
    void ForgetArchetypes();
    void InitializePendingObjects();
    void DestroyPendingObjects();

    std::unordered_map<std::string, Object*> m_objects;
    std::vector<Object*> m_creationOrder;
    std::unordered_map<std::string, int> m_nameCounters;
    std::set<Object*> m_pendingInitialization;
    std::set<Object*> m_pendingDeletion;
    std::string m_archetypesFolder;
    std::string m_path;
    // Archetype trees by file path, and the paths watched for changes.
    std::unordered_map<std::string, std::unique_ptr<IParserData>> m_archetypes;
    std::set<std::string> m_watchedArchetypes;
};
} // namespace Morvane::Game
