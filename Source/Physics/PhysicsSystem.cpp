#include "Physics/PhysicsSystem.h"

#include "Component/ComponentRegistry.h"
#include "Component/Object.h"
#include "Parsing/IParserData.h"
#include "Shape/Shape.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>

namespace Morvane::Physics
{
namespace
{
const char* const kChannel = "Physics system";
const glm::vec4 kCellColour(0.1f, 0.1f, 0.1f, 0.1f);

Game::Component* CreateForObject(Game::Object* owner, const IParserData* element)
{
    return System::GetInstance().CreateComponent(owner, element);
}

void DeleteForObject(Game::Component* component)
{
    System::GetInstance().DeleteComponent(static_cast<Component*>(component));
}

const char* OwnerName(const Component* component)
{
    const Game::Object* owner = component->GetParentObject();
    return owner != nullptr ? owner->GetName().c_str() : "";
}

bool Erase(std::vector<Component*>& list, const Component* component)
{
    const auto found = std::find(list.begin(), list.end(), component);
    if (found == list.end())
    {
        return false;
    }
    list.erase(found);
    return true;
}
} // namespace

System& System::GetInstance()
{
    static System instance;
    return instance;
}

System::System()
{
    Game::ComponentRegistry::GetInstance().RegisterKind<Component>("Physics", &CreateForObject,
                                                                   &DeleteForObject);
}

System::~System()
{
    Release();
}

bool System::Initialize()
{
    m_useGrid = true;
    return true;
}

bool System::Parse(IParserData* data)
{
    m_debugDraw = data->GetAttributeBool("debugDraw", false);
    return true;
}

void System::Release()
{
    while (!m_components.empty())
    {
        const std::vector<Component*> components = std::move(m_components);
        m_components.clear();
        m_dynamic.clear();
        m_kinematic.clear();
        m_static.clear();
        m_grid.Clear();
        for (Component* component : components)
        {
            component->DestroyShape();
            Game::DestroyComponent(component);
        }
    }
    m_dynamic.clear();
    m_kinematic.clear();
    m_static.clear();
    m_grid.Clear();
}

Component* System::CreateComponent(Game::Object* owner, const IParserData* element)
{
    Component* component = nullptr;
    if (element != nullptr && !element->GetAttribute("type", "").empty())
    {
        component = m_customComponentFactory != nullptr ? m_customComponentFactory(owner, element) : nullptr;
    }
    else
    {
        component = new Component(owner);
    }
    if (component != nullptr)
    {
        m_components.push_back(component);
    }
    return component;
}

Component* System::AdoptComponent(Component* component, const IParserData& description)
{
    Game::Object* owner = component->GetParentObject();
    MORVANE_ASSERT_NAMED(owner != nullptr, "owner", __LINE__);
    m_components.push_back(component);
    if (!component->Parse(&description))
    {
        DeleteComponent(component);
        return nullptr;
    }
    owner->AddComponent(component);
    if (!component->Initialize())
    {
        Log::Error(kChannel,
                   Format("Could not initialize the physics component made for '%s'", OwnerName(component)));
        DeleteComponent(component);
        return nullptr;
    }
    return component;
}

void System::RegisterComponent(Component* component)
{
    switch (component->GetCategory())
    {
    case Category::Kinematic:
        m_kinematic.push_back(component);
        break;
    case Category::Dynamic:
        m_dynamic.push_back(component);
        break;
    case Category::Static:
        m_static.push_back(component);
        component->UpdateBounds();
        component->GetBoundingVolume().SetOrderKey(m_nextOrderKey++);
        m_grid.Insert(&component->GetBoundingVolume());
        break;
    case Category::None:
        Log::Warning(kChannel, Format("Trying to register unknown type component: %s/%s",
                                      OwnerName(component), "Physics"));
        return;
    }
    component->SetRegistered(true);
}

void System::RefreshStaticBody(Component* body)
{
    if (body == nullptr || !body->IsRegistered() || body->GetCategory() != Category::Static)
    {
        return;
    }
    m_grid.Remove(&body->GetBoundingVolume());
    body->UpdateBounds();
    m_grid.Insert(&body->GetBoundingVolume());
}

void System::RefreshBody(Component* body)
{
    if (body == nullptr || !body->IsRegistered())
    {
        return;
    }
    if (body->GetCategory() == Category::Static)
    {
        RefreshStaticBody(body);
        return;
    }
    body->UpdateBounds();
}

void System::DeleteComponent(Component* component)
{
    if (component == nullptr)
    {
        return;
    }
    if (!Erase(m_components, component))
    {
        Log::Error(kChannel, Format("Tried to delete physics component of object '%s' that is not listed",
                                    OwnerName(component)));
    }
    for (Component* remaining : m_components)
    {
        remaining->ForgetContactsWith(component);
    }
    if (component->IsRegistered())
    {
        std::vector<Component*>* lists[] = {nullptr, &m_kinematic, &m_dynamic, &m_static};
        std::vector<Component*>& list = *lists[static_cast<int>(component->GetCategory())];
        if (!Erase(list, component))
        {
            Log::Error(kChannel, Format("Physics component of object '%s' is missing from its category list",
                                        OwnerName(component)));
        }
        if (component->GetCategory() == Category::Static)
        {
            m_grid.Remove(&component->GetBoundingVolume());
        }
    }
    Game::DestroyComponent(component);
}

void System::Update(const float& dt)
{
    if (m_debugDraw)
    {
        QueueDebugDrawing();
    }
    if (m_paused)
    {
        return;
    }
    for (Component* body : m_dynamic)
    {
        body->Integrate(dt);
    }
    for (Component* body : m_kinematic)
    {
        body->Integrate(dt);
    }
    UpdateAllBounds();
    FindContacts();
    for (Component* body : m_dynamic)
    {
        body->ResolveContacts();
    }
}

void System::QueueDebugDrawing()
{
    for (const Component* component : m_components)
    {
        if (const Shape* shape = component->GetShape())
        {
            const float load =
                std::clamp(static_cast<float>(component->GetContacts().size()) / 5.0f, 0.0f, 1.0f);
            shape->DebugDraw(*m_debugDrawer, glm::vec4(load, 1.0f - load, 0.0f, 0.5f));
        }
    }
    const glm::vec3& cellSize = m_grid.GetCellSize();
    for (const auto& [cell, listed] : m_grid.GetCells())
    {
        m_debugDrawer->Box(glm::vec3(cell.x, cell.y, cell.z) * cellSize, cellSize, kCellColour);
    }
}

// Static bodies moved since the last step (the editor) are entered in the cells they cover now.
void System::UpdateAllBounds()
{
    for (Component* component : m_components)
    {
        component->ClearContacts();
        if (!component->IsRegistered())
        {
            continue;
        }
        if (component->GetCategory() == Category::Static)
        {
            const Component::BoundingVolume before = component->GetBoundingVolume();
            component->UpdateBounds();
            m_grid.Update(&component->GetBoundingVolume(), before);
        }
        else
        {
            component->UpdateBounds();
        }
    }
}

void System::FindContacts()
{
    m_narrowPhaseCount = 0;
    for (std::size_t i = 0; i < m_dynamic.size(); ++i)
    {
        Component* a = m_dynamic[i];
        for (std::size_t j = i + 1; j < m_dynamic.size(); ++j)
        {
            CollideIfAllowed(a, m_dynamic[j]);
        }
        for (Component* b : m_kinematic)
        {
            CollideIfAllowed(a, b);
        }
        if (m_useGrid)
        {
            for (SpacePartitioning::IBoundingVolume<Component>* volume :
                 m_grid.Query(&a->GetBoundingVolume()))
            {
                CollideIfAllowed(a, volume->GetOwner());
            }
        }
        else
        {
            for (Component* b : m_static)
            {
                CollideIfAllowed(a, b);
            }
        }
    }
    for (std::size_t i = 0; i < m_kinematic.size(); ++i)
    {
        Component* a = m_kinematic[i];
        // Two immovable bodies never meet, so each pair is taken from a side with mass: levels full of
        // massless platforms and triggers cost nothing here.
        if (a->GetInverseMass() == 0.0f)
        {
            continue;
        }
        for (std::size_t j = 0; j < m_kinematic.size(); ++j)
        {
            Component* b = m_kinematic[j];
            const bool takenFromTheOtherSide = j < i && b->GetInverseMass() != 0.0f;
            if (j != i && !takenFromTheOtherSide)
            {
                CollideIfAllowed(a, b);
            }
        }
        for (Component* b : m_static)
        {
            CollideIfAllowed(a, b);
        }
    }
}

void System::CollideIfAllowed(Component* a, Component* b)
{
    if (a->CanCollideWith(b))
    {
        ++m_narrowPhaseCount;
        a->Collide(b);
    }
}
} // namespace Morvane::Physics
