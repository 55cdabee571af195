#include "ProbeComponent.h"

#include "Component/ComponentRegistry.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Parsing/IParserData.h"

namespace Morvane::Testing
{
int ProbeComponent::deleted = 0;
int ProbeComponent::initialized = 0;

bool ProbeComponent::Parse(const IParserData* data)
{
    Game::Component::Parse(data);
    m_saves = data->GetAttributeBool("saves", true);
    m_initializes = data->GetAttributeBool("initializes", true);
    m_spawn = data->GetAttribute("spawn", "");
    return data->GetAttributeBool("parses", true);
}

bool ProbeComponent::Save(IParserData* data)
{
    data->AddChild("Probe")->SetAttribute("id", GetId());
    return m_saves;
}

bool ProbeComponent::Initialize()
{
    ++initialized;
    if (!m_spawn.empty())
    {
        Game::Object* spawned = Game::System::GetInstance().CreateObject(m_spawn);
        spawned->AddComponent(new ProbeComponent(spawned));
    }
    return m_initializes;
}

void ProbeComponent::Register()
{
    deleted = 0;
    initialized = 0;
    Game::ComponentRegistry::GetInstance().Register(
        "Probe",
        [](Game::Object* owner, const IParserData*) -> Game::Component* { return new ProbeComponent(owner); },
        [](Game::Component* component)
        {
            ++deleted;
            delete component;
        },
        [](const Game::Component* component)
        { return dynamic_cast<const ProbeComponent*>(component) != nullptr; });
}
} // namespace Morvane::Testing
