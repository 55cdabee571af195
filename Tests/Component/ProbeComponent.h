#pragma once

#include "Component/ComponentRegistry.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Parsing/IParserData.h"

#include <string>

namespace Morvane::Testing
{
// A component kind owned by a test "system": registered under the element name "Probe", it reads
// what it should fail at from its attributes and counts what happens to it.
class ProbeComponent : public Game::Component
{
public:
    explicit ProbeComponent(Game::Object* owner) : Game::Component(owner) {}

    bool Parse(const IParserData* data) override
    {
        Game::Component::Parse(data);
        m_initializes = data->GetAttributeBool("initializes", true);
        m_spawn = data->GetAttribute("spawn", "");
        return data->GetAttributeBool("parses", true);
    }
    bool Save(IParserData*) override { return true; }
    void Clone(Game::Component*) override {}
    bool Initialize() override
    {
        ++initialized;
        if (!m_spawn.empty())
        {
            Game::Object* spawned = Game::System::GetInstance().CreateObject(m_spawn);
            spawned->AddComponent(new ProbeComponent(spawned));
        }
        return m_initializes;
    }

    // Installs the "Probe" kind and resets the counters.
    static void Register()
    {
        deleted = 0;
        initialized = 0;
        Game::ComponentRegistry::GetInstance().RegisterKind<ProbeComponent>(
            "Probe",
            [](Game::Object* owner, const IParserData*) -> Game::Component*
            { return new ProbeComponent(owner); },
            [](Game::Component* component)
            {
                ++deleted;
                delete component;
            });
    }
    static inline int deleted = 0;
    static inline int initialized = 0;

private:
    bool m_initializes = true;
    // An object (holding a probe of its own) to create from inside Initialize, when not empty.
    std::string m_spawn;
};
} // namespace Morvane::Testing
