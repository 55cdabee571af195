#pragma once

#include "Component/Component.h"

#include <string>

namespace Morvane::Testing
{
// A component kind owned by a test "system": registered under the element name "Probe", it reads
// what it should fail at from its attributes and counts what happens to it.
class ProbeComponent : public Game::Component
{
public:
    explicit ProbeComponent(Game::Object* owner) : Game::Component(owner) {}

    bool Parse(const IParserData* data) override;
    bool Save(IParserData* data) override;
    void Clone(Game::Component*) override {}
    bool Initialize() override;

    // Installs the "Probe" kind and resets the counters.
    static void Register();
    static int deleted;
    static int initialized;

private:
    bool m_saves = true;
    bool m_initializes = true;
    // An object (holding a probe of its own) to create from inside Initialize, when not empty.
    std::string m_spawn;
};
} // namespace Morvane::Testing
