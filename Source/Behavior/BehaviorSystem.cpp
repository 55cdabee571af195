#include "Behavior/BehaviorSystem.h"

#include "Behavior/BehaviorComponent.h"
#include "Behavior/BehaviorSet.h"
#include "Component/ComponentRegistry.h"
#include "Component/Object.h"
#include "Parsing/IParserData.h"
#include "Parsing/ReferencedFile/Sections.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/StringUtilities/StringUtilities.h"

#include <algorithm>

namespace Morvane::Behavior
{
namespace
{
const char* const kChannel = "Behavior system";

Game::Component* CreateForObject(Game::Object* owner, const IParserData* element)
{
    return System::GetInstance().CreateComponent(owner, element);
}

void DeleteForObject(Game::Component* component)
{
    System::GetInstance().DeleteComponent(static_cast<Component*>(component));
}
} // namespace

System& System::GetInstance()
{
    static System instance;
    return instance;
}

System::System()
{
    Game::ComponentRegistry::GetInstance().RegisterKind<Component>("Behavior", &CreateForObject,
                                                                   &DeleteForObject);
}

System::~System()
{
    Release();
}

void System::Update(const float& dt)
{
    for (BehaviorSet* set : m_setOrder)
    {
        set->Update(dt);
    }
}

void System::Release()
{
    m_setOrder.clear();
    m_sets.clear();
    while (!m_components.empty())
    {
        const std::vector<Component*> components = std::move(m_components);
        m_components.clear();
        for (Component* component : components)
        {
            Game::DestroyComponent(component);
        }
    }
}

bool System::Parse(IParserData* data)
{
    if (data == nullptr)
    {
        return false;
    }
    return ForEachInSections(
        *data,
        [this](IParserData& child)
        {
            const std::string name = child.GetName();
            if (name == "BehaviorSet")
            {
                CreateSet(&child);
            }
            else
            {
                Log::Warning(kChannel, Format("Unknown parser element '%s'", name.c_str()));
            }
            return true;
        },
        [] { Log::Error(kChannel, "Could not subparse section"); });
}

void System::CreateSet(const IParserData* element)
{
    const std::string name = element->GetAttribute("name", "");
    if (m_sets.contains(name))
    {
        Log::Warning(kChannel, Format("Tried to duplicate a behavior set '%s'", name.c_str()));
        return;
    }
    if (name.empty())
    {
        Log::Warning(kChannel, "Creating an unnamed set");
    }
    auto set = std::make_unique<BehaviorSet>(name, element->GetAttributeFloat("stepTime", 0.0f),
                                             element->GetAttributeBool("paused", false));
    m_setOrder.push_back(set.get());
    m_sets.emplace(name, std::move(set));
}

Component* System::CreateComponent(Game::Object* owner, const IParserData* element)
{
    if (m_customComponentFactory == nullptr)
    {
        return nullptr;
    }
    Component* component = m_customComponentFactory(owner, element);
    if (component == nullptr)
    {
        Log::Error(kChannel, "Could not create custom behavior component");
        return nullptr;
    }
    m_components.push_back(component);
    RegisterComponent(component, element);
    return component;
}

void System::DeleteComponent(Component* component)
{
    if (component == nullptr)
    {
        return;
    }
    for (const auto& [name, set] : m_sets)
    {
        set->Remove(component);
    }
    const auto found = std::find(m_components.begin(), m_components.end(), component);
    if (found == m_components.end())
    {
        const Game::Object* owner = component->GetParentObject();
        // Not created here (or already destroyed): destroying it would free it a second time.
        Log::Error(kChannel,
                   Format("Tried to delete a behavior component of object '%s' that it does not own",
                          owner != nullptr ? owner->GetName().c_str() : ""));
        return;
    }
    m_components.erase(found);
    Game::DestroyComponent(component);
}

void System::AddComponentToSet(Component* component, const std::string& setName)
{
    const auto found = m_sets.find(setName);
    if (found == m_sets.end())
    {
        Log::Warning(kChannel,
                     Format("Tried to add a component to an unexistent component set '%s'", setName.c_str()));
        return;
    }
    found->second->Add(component);
}

void System::SetPaused(const std::string& setName, bool paused)
{
    const auto found = m_sets.find(setName);
    if (found == m_sets.end())
    {
        Log::Warning(kChannel,
                     Format("Tried to set pause of an unexistent component set '%s'", setName.c_str()));
        return;
    }
    found->second->SetPaused(paused);
}

std::vector<std::string> System::GetComponentSets(const Component* component) const
{
    std::vector<std::string> names;
    for (const auto& [name, set] : m_sets)
    {
        if (set->Contains(component))
        {
            names.push_back(name);
        }
    }
    return names;
}

void System::RegisterComponent(Component* component, const IParserData* element)
{
    MORVANE_ASSERT_NAMED(element != nullptr, "parserData", __LINE__);
    if (element->HasAttribute("behaviorSets"))
    {
        for (const std::string& setName :
             StringUtilities::Split(element->GetAttribute("behaviorSets", ""), ';'))
        {
            // "A;B;" and "A;;B" name the sets A and B.
            if (!setName.empty())
            {
                AddComponentToSet(component, setName);
            }
        }
        return;
    }
    for (const IParserData* child = element->GetFirstChild(); child != nullptr;
         child = child->GetNextSibling())
    {
        if (child->GetName() == "Common")
        {
            RegisterComponent(component, child);
        }
        // The form Save writes: "BehaviorSet" elements inside "Common".
        else if (child->GetName() == "BehaviorSet" && element->GetName() == "Common")
        {
            AddComponentToSet(component, child->GetAttribute("name", ""));
        }
    }
}

const BehaviorSet* System::FindSet(const std::string& setName) const
{
    const auto found = m_sets.find(setName);
    return found == m_sets.end() ? nullptr : found->second.get();
}
} // namespace Morvane::Behavior
