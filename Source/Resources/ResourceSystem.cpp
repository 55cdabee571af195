#include "Resources/ResourceSystem.h"

#include "Parsing/IParserData.h"
#include "Parsing/ReferencedFile/ReferencedFile.h"
#include "Parsing/ReferencedFile/Sections.h"
#include "Platform/TypeName.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>

namespace Morvane::Resources
{
namespace
{
// Definitions and loading log under one channel, requests under the other.
const char* const kChannel = "Resource system";
const char* const kRequestChannel = "Resource System";

void LogConversionFailure(const std::string& name, const Resource& resource, const std::type_info& type)
{
    Log::Error(kRequestChannel,
               Format("Could not convert '%s' from type '%s' to type '%s'", name.c_str(),
                      Platform::GetTypeName(resource).c_str(), Platform::GetTypeName(type).c_str()));
}

// Keeps `path` on the stack of files being parsed for its lifetime, so that a parse that throws (as
// assertions do) does not leave the file marked as including itself.
class FileBeingParsed
{
public:
    FileBeingParsed(std::vector<std::string>& files, const std::string& path) : m_files(files)
    {
        m_files.push_back(path);
    }
    ~FileBeingParsed() { m_files.pop_back(); }
    FileBeingParsed(const FileBeingParsed&) = delete;
    FileBeingParsed& operator=(const FileBeingParsed&) = delete;

private:
    std::vector<std::string>& m_files;
};
} // namespace

System& System::GetInstance()
{
    static System instance;
    return instance;
}

bool System::Initialize()
{
    m_loadThread.Start();
    return true;
}

void System::Update(const float&)
{
    m_loadThread.RethrowParseFailure();
    while (Resource* resource = m_loadThread.TakeParsed())
    {
        if (resource->IsInitialized())
        {
            continue;
        }
        if (resource->Initialize())
        {
            Log::Info(kRequestChannel,
                      Format("Resource initialized successfully ['%s']", resource->GetName().c_str()));
        }
        else
        {
            Log::Error(kChannel,
                       Format("Resource '%s' could not be initialized", resource->GetName().c_str()));
        }
    }
}

void System::Release()
{
    m_loadThread.Stop();
    m_loadThread.Clear();
    // Taken out first: a resource's Release may unload resources it made (a font its pages).
    const std::map<std::string, std::unique_ptr<Resource>> resources = std::move(m_resources);
    m_resources.clear();
    for (const auto& [name, resource] : resources)
    {
        resource->Release();
    }
    m_definitions.clear();
}

bool System::Parse(IParserData* data)
{
    if (data == nullptr)
    {
        return false;
    }
    if (data->GetName() == "ResourceSystem")
    {
        if (ReferencedFile file(*data); file.IsNamed())
        {
            return ParseFile(file);
        }
    }
    return ForEachInSections(
        *data, [this](IParserData& child) { return ParseElement(child); },
        [] { Log::Error(kChannel, "Could not parse section: 'Section'"); });
}

bool System::ParseElement(IParserData& child)
{
    if (child.GetName() == "Pack")
    {
        ReferencedFile file(child);
        if (!ParseFile(file))
        {
            Log::Error(kChannel,
                       Format("Could not parse section: '%s'", child.GetAttribute("name", "").c_str()));
            return false;
        }
        return true;
    }
    const std::string name = child.GetAttribute("name", "");
    if (name.empty())
    {
        Log::Error(kChannel, "No named resource");
        return false;
    }
    if (!AddDefinition(name, child))
    {
        return false;
    }
    Log::Info(kChannel, Format("Resource '%s' definition loaded", name.c_str()));
    return true;
}

bool System::ParseFile(ReferencedFile& file)
{
    const std::string& path = file.GetPath();
    if (std::ranges::find(m_filesBeingParsed, path) != m_filesBeingParsed.end())
    {
        Log::Error(kChannel, Format("Resource file '%s' includes itself", path.c_str()));
        return false;
    }
    const FileBeingParsed beingParsed(m_filesBeingParsed, path);
    return Parse(file.Read());
}

bool System::AddDefinition(const std::string& name, const IParserData& element)
{
    if (m_definitions.contains(name))
    {
        Log::Error(kChannel, Format("Trying to set a duplicated definition of resource '%s'", name.c_str()));
        return false;
    }
    m_definitions.emplace(name, std::unique_ptr<IParserData>(element.Clone()));
    return true;
}

void System::AddDelegate(const std::string& typeTag, Delegate create)
{
    if (m_delegates.contains(typeTag))
    {
        Log::Warning(kChannel,
                     Format("Tried to add twice the delegate for '%s' resource creation", typeTag.c_str()));
    }
    m_delegates[typeTag] = std::move(create);
}

Resource* System::Request(const std::string& name, const std::type_info& type, TypeCheck isType)
{
    if (const auto found = m_resources.find(name); found != m_resources.end())
    {
        Resource& resource = *found->second;
        if (!isType(&resource))
        {
            LogConversionFailure(name, resource, type);
            return nullptr;
        }
        return &resource;
    }

    const auto definition = m_definitions.find(name);
    if (definition == m_definitions.end())
    {
        Log::Error(kRequestChannel, Format("Resource definition not found for '%s' of type '%s'",
                                           name.c_str(), Platform::GetTypeName(type).c_str()));
        return nullptr;
    }
    std::unique_ptr<Resource> resource = Create(name, *definition->second);
    if (resource == nullptr)
    {
        return nullptr;
    }
    if (!isType(resource.get()))
    {
        LogConversionFailure(name, *resource, type);
        return nullptr;
    }
    return Load(std::move(resource), *definition->second);
}

std::unique_ptr<Resource> System::Create(const std::string& name, const IParserData& definition)
{
    const std::string tag = definition.GetName();
    const auto delegate = m_delegates.find(tag);
    if (delegate == m_delegates.end() || !delegate->second)
    {
        Log::Error(kRequestChannel,
                   Format("Resource tag '%s' not found, could not derive to delegate", tag.c_str()));
        return nullptr;
    }
    std::unique_ptr<Resource> resource = delegate->second(name);
    if (resource == nullptr)
    {
        Log::Error(kRequestChannel,
                   Format("The delegate for '%s' created no resource '%s'", tag.c_str(), name.c_str()));
    }
    return resource;
}

Resource* System::Load(std::unique_ptr<Resource> resource, const IParserData& definition)
{
    const std::string name = resource->GetName();
    if (definition.GetAttributeBool("multiThreaded", false))
    {
        Resource& queued = *resource;
        m_resources.emplace(name, std::move(resource));
        m_loadThread.Enqueue(queued, definition);
        // Success is told once it is true, by Update.
        Log::Info(kRequestChannel, Format("Resource queued ['%s']", name.c_str()));
        return &queued;
    }

    if (!resource->Parse(&definition))
    {
        resource->Release();
        Log::Error(kRequestChannel, Format("Could not load resource definition '%s' of type '%s'",
                                           name.c_str(), Platform::GetTypeName(*resource).c_str()));
        return nullptr;
    }
    if (!resource->Initialize())
    {
        resource->Release();
        Log::Error(kRequestChannel, Format("Could not initialize resource '%s' of type '%s'", name.c_str(),
                                           Platform::GetTypeName(*resource).c_str()));
        return nullptr;
    }
    Resource& loaded = *resource;
    m_resources.emplace(name, std::move(resource));
    Log::Info(kRequestChannel, Format("Resource initialized successfully ['%s']", name.c_str()));
    return &loaded;
}

bool System::AddResource(std::unique_ptr<Resource> resource)
{
    const std::string name = resource->GetName();
    if (m_resources.contains(name))
    {
        Log::Error(kRequestChannel, Format("A resource named '%s' already exists", name.c_str()));
        return false;
    }
    m_resources.emplace(name, std::move(resource));
    return true;
}

void System::UnloadResource(const std::string& name)
{
    const auto found = m_resources.find(name);
    if (found == m_resources.end())
    {
        Log::Error(kRequestChannel, Format("Could not find resource '%s'", name.c_str()));
        return;
    }
    const std::unique_ptr<Resource> resource = std::move(found->second);
    m_resources.erase(found);
    m_loadThread.Forget(*resource);
    resource->Release();
}

void System::UnloadIfLoaded(const std::string& name)
{
    if (m_resources.contains(name))
    {
        UnloadResource(name);
    }
}

int System::GetLoadingCount() const
{
    return m_loadThread.GetLoadingCount();
}

int System::GetPendingCount() const
{
    return m_loadThread.GetPendingCount();
}
} // namespace Morvane::Resources
