#include "Component/GameSystem.h"

#include "Component/ComponentRegistry.h"
#include "Component/Object.h"
#include "Files/FilesSystem.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "Parsing/ReferencedFile/ReferencedFile.h"
#include "Parsing/ReferencedFile/Sections.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/PathWrapper/PathWrapper.h"

namespace Morvane::Game
{
namespace
{
const char* const kChannel = "Game system";
}

System& System::GetInstance()
{
    static System instance;
    return instance;
}

// Built first so that they outlive this system: releasing objects at exit goes through the component
// registry and drops the archetype watches (the log and the pools are built first by the base).
System::System()
{
    ComponentRegistry::GetInstance();
    Files::System::GetInstance();
}

System::~System()
{
    Release();
}

bool System::Initialize()
{
    InitializePendingObjects();
    return true;
}

void System::Update(const float&)
{
    InitializePendingObjects();
    DestroyPendingObjects();
}

void System::Release()
{
    // Releasing an object may create or mark others: keep going until nothing is left.
    while (!m_objects.empty())
    {
        const std::unordered_map<std::string, Object*> objects = std::move(m_objects);
        m_objects.clear();
        m_creationOrder.clear();
        for (const auto& [name, object] : objects)
        {
            object->Release();
            delete object;
        }
    }
    m_nameCounters.clear();
    m_pendingDeletion.clear();
    m_pendingInitialization.clear();
    ForgetArchetypes();
}

void System::ForgetArchetypes()
{
    for (const std::string& path : m_watchedArchetypes)
    {
        Files::System::GetInstance().RemoveWatch(path);
    }
    m_watchedArchetypes.clear();
    m_archetypes.clear();
}

bool System::Parse(IParserData* data)
{
    if (data == nullptr)
    {
        return false;
    }
    if (data->GetName() == "GameSystem")
    {
        ReferencedFile file(*data);
        if (file.IsNamed())
        {
            m_path = file.GetPath();
            if (!Parse(file.Read()))
            {
                Log::Error(kChannel, Format("Data could not be parsed of path '%s'", m_path.c_str()));
                return false;
            }
        }
    }
    return ForEachInSections(
        *data, [this](IParserData& child) { return ParseElement(child); },
        [] { Log::Error(kChannel, "Could not parse section: 'Section'"); });
}

bool System::ParseElement(IParserData& child)
{
    const std::string name = child.GetName();
    if (name == "Objects")
    {
        const std::string folder = child.GetAttribute("archetypesFolder", "");
        if (!folder.empty())
        {
            m_archetypesFolder = folder;
        }
        if (!Parse(&child))
        {
            Log::Error(kChannel, Format("Could not parse objects: '%s'", name.c_str()));
            return false;
        }
    }
    else if (name == "Object" && CreateObject(&child) == nullptr)
    {
        Log::Error(kChannel, "Could not create object");
        return false;
    }
    return true;
}

bool System::Save(IParserData* parent)
{
    IParserData* objects = parent->AddChild("GameSystem")->AddChild("Objects");
    for (const auto& [name, object] : m_objects)
    {
        if (!object->Save(objects))
        {
            Log::Error(kChannel, Format("Object '%s' could not save", name.c_str()));
            return false;
        }
    }
    return true;
}

std::string System::MakeUniqueName(const std::string& baseName)
{
    // A candidate that an existing object already carries is skipped as well, so that names taken
    // by request ("box_002") never collide with generated ones.
    std::string candidate = baseName;
    while (m_nameCounters.contains(candidate) || m_objects.contains(candidate))
    {
        const int counter = ++m_nameCounters[candidate];
        // Not Format: it cuts long texts, and a cut candidate would never change.
        std::string number = std::to_string(counter);
        candidate = baseName + "_" + std::string(number.size() < 3 ? 3 - number.size() : 0, '0') + number;
    }
    ++m_nameCounters[baseName];
    return candidate;
}

Object* System::CreateObject(const std::string& name)
{
    const std::string newName = MakeUniqueName(name);
    MORVANE_ASSERT_NAMED(m_objects.find(newName) == m_objects.end(),
                         "m_objects.find(newName) == m_objects.end()", __LINE__);
    auto* object = new Object(newName);
    m_objects.emplace(newName, object);
    m_creationOrder.push_back(object);
    m_pendingInitialization.insert(object);
    return object;
}

Object* System::CreateObject(const IParserData* element)
{
    const std::string name = element->GetAttribute("name", "unnamed_object");
    if (element->HasAttribute("archetype"))
    {
        return CreateObjectFromArchetype(name, element->GetAttribute("archetype", ""));
    }
    Object* object = CreateObject(name);
    object->Parse(element);
    return object;
}

const IParserData* System::FindArchetype(const std::string& path)
{
    if (const auto found = m_archetypes.find(path); found != m_archetypes.end())
    {
        return found->second.get();
    }
    // A file that cannot be read is not kept, so that it is tried again once it has been mended.
    FileParser parser;
    const IParserData* root = parser.Parse(path);
    if (root == nullptr)
    {
        return nullptr;
    }
    if (m_watchedArchetypes.insert(path).second)
    {
        Files::System::GetInstance().AddWatch(
            path, path, [this](const std::string& changed) { m_archetypes.erase(changed); });
    }
    // Copied out of the parser, which counts as a nesting level while it holds its tree.
    return m_archetypes.emplace(path, std::unique_ptr<IParserData>(root->Clone())).first->second.get();
}

Object* System::CreateObjectFromArchetype(const std::string& name, const std::string& archetype)
{
    const IParserData* root =
        FindArchetype(PathWrapper::GetInstance().Expand(m_archetypesFolder + "/" + archetype));
    if (root == nullptr)
    {
        Log::Error(kChannel, Format("Could not open template '%s'", archetype.c_str()));
        return nullptr;
    }
    Object* object = CreateObject(name);
    if (!object->Parse(root))
    {
        Log::Error(kChannel, "Object could not open successfuly");
        MarkForDeletion(object);
        return nullptr;
    }
    return object;
}

Object* System::GetObject(const std::string& name) const
{
    const auto found = m_objects.find(name);
    return found == m_objects.end() ? nullptr : found->second;
}

void System::MarkForDeletion(Object* object)
{
    if (object != nullptr)
    {
        m_pendingDeletion.insert(object);
    }
}

void System::InitializePendingObjects()
{
    while (!m_pendingInitialization.empty())
    {
        // In creation order, not the set's pointer order, which changes from run to run: behaviors that
        // draw random numbers or make objects while they initialise must do so in the same order every run.
        std::vector<Object*> pending;
        pending.reserve(m_pendingInitialization.size());
        for (Object* object : m_creationOrder)
        {
            if (m_pendingInitialization.contains(object))
            {
                pending.push_back(object);
            }
        }
        m_pendingInitialization.clear();
        for (Object* object : pending)
        {
            if (!object->Initialize())
            {
                Log::Error(kChannel,
                           Format("Object '%s' could not be initialized", object->GetName().c_str()));
                m_pendingDeletion.insert(object);
            }
        }
    }
}

void System::DestroyPendingObjects()
{
    while (!m_pendingDeletion.empty())
    {
        Object* object = *m_pendingDeletion.begin();
        const auto found = m_objects.find(object->GetName());
        if (found == m_objects.end() || found->second != object)
        {
            Log::Error(kChannel,
                       Format("Tried to delete an unexistent object: '%s'", object->GetName().c_str()));
        }
        else
        {
            m_objects.erase(found);
            std::erase(m_creationOrder, object);
            object->Release();
            delete object;
            // Created and marked while others were being released: never initialise it now.
            m_pendingInitialization.erase(object);
        }
        m_pendingDeletion.erase(object);
    }
}
} // namespace Morvane::Game
