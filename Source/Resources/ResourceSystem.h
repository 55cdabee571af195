#pragma once

#include "Resources/LoadThread.h"
#include "Resources/Resource.h"
#include "SystemManager/ISystem.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <vector>

namespace Morvane
{
class ReferencedFile;
}

namespace Morvane::Resources
{
// Keeps the resource definitions read from data and creates each resource on its first request, through
// the delegate registered for its type tag (the definition's element name). A resource is loaded at once,
// or, when its definition says "multiThreaded", parsed on the load thread and initialised by Update.
//
// Plugging in a resource type: the owning system registers, in its own Initialize(),
//
//     Resources::System::GetInstance().AddDelegate("Texture", [](const std::string& name) {
//         return std::make_unique<Texture>(name);
//     });
//
// where Texture derives from Resources::Resource. The delegate runs on the main thread; it only builds
// the object (Parse and Initialize follow). Registering a tag again replaces its delegate; delegates
// survive Release(). Every call here belongs to the main thread; only GetLoadingCount and GetPendingCount may
// be polled from anywhere.
class System : public ISystem
{
public:
    using Delegate = std::function<std::unique_ptr<Resource>(const std::string& name)>;

    static System& GetInstance();

    // Starts the load thread (one at most).
    bool Initialize() override;
    // Initialises the resources the load thread has parsed; rethrows what a Parse threw there.
    void Update(const float& dt) override;
    // Joins the load thread, then releases every resource and forgets every definition.
    void Release() override;
    // Reads definitions from a "ResourceSystem" element, its "Section"s and "Pack" files.
    bool Parse(IParserData* data) override;

    // Stores a copy of `element` as the definition of `name`; duplicates are refused.
    bool AddDefinition(const std::string& name, const IParserData& element);
    void AddDelegate(const std::string& typeTag, Delegate create);

    // The resource `name` as a T, created on first request; null (logged) on failure. A "multiThreaded"
    // resource is returned at once but is ready only once IsInitialized().
    template <class T> T* GetResource(const std::string& name)
    {
        static_assert(std::is_base_of_v<Resource, T>, "resources derive from Resources::Resource");
        return dynamic_cast<T*>(Request(name, typeid(T),
                                        [](const Resource* resource)
                                        { return dynamic_cast<const T*>(resource) != nullptr; }));
    }

    // Takes a resource made in code (a font's page textures) under its own name, which must be free
    // (refused, logged, otherwise). Initialising it is the caller's business.
    bool AddResource(std::unique_ptr<Resource> resource);
    bool HasResource(const std::string& name) const { return m_resources.contains(name); }
    // Loaded, or defined and so loadable on request: asking never logs.
    bool IsKnown(const std::string& name) const { return HasResource(name) || m_definitions.contains(name); }
    void UnloadResource(const std::string& name);
    // UnloadResource without the error for a name not loaded: for a maker taking back what it made,
    // which the system's own release may have taken already.
    void UnloadIfLoaded(const std::string& name);
    // Resources of the load thread's current batch not yet parsed (for loading screens).
    int GetLoadingCount() const;
    // Multi-threaded resources not ready yet: queued, being parsed, or parsed and waiting for Update to
    // initialise them. Unlike the loading count it is never 0 before the load thread takes its batch.
    int GetPendingCount() const;

private:
    using TypeCheck = bool (*)(const Resource*);

    System() = default;

    Resource* Request(const std::string& name, const std::type_info& type, TypeCheck isType);
    std::unique_ptr<Resource> Create(const std::string& name, const IParserData& definition);
    Resource* Load(std::unique_ptr<Resource> resource, const IParserData& definition);
    // One child of a definitions element: a "Pack" file or a definition.
    bool ParseElement(IParserData& child);
    bool ParseFile(ReferencedFile& file);

    std::map<std::string, std::unique_ptr<Resource>> m_resources;
    std::map<std::string, std::unique_ptr<IParserData>> m_definitions;
    std::map<std::string, Delegate> m_delegates;
    // Files being read by Parse, so that a pack naming itself is refused instead of recursing forever.
    std::vector<std::string> m_filesBeingParsed;
    // Last, so that it is joined before the resources and definitions it reaches are destroyed.
    LoadThread m_loadThread;
};
} // namespace Morvane::Resources
