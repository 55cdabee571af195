// The character body's narrow phase: the box test and the sweep of its step against N static boxes that
// share its grid cells, as the physics step runs it (pair filter, virtual Collide, contact records on
// both bodies), against a bare loop of the same box and slab tests over the same boxes. "ratio" is the
// cost of the records, filters and virtual calls; "ns_per_box" staying flat as N grows shows the
// narrow phase grows linearly.
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Physics/CharacterPhysics/CharacterPhysics.h"
#include "Physics/CharacterPhysics/SegmentBoxTest.h"
#include "Physics/PhysicsFactory/PhysicsFactory.h"
#include "Physics/PhysicsSystem.h"
#include "Shape/AABB.h"
#include "System/Logging/Format.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

using namespace Morvane;

namespace
{
Game::Object* MakeObject(const std::string& name, const glm::vec3& position, const std::string& physics)
{
    XMLParserData element;
    element.FromString(
        Format("<Object name=\"%s\"><Transform position=\"%.9g;%.9g;%.9g\"/><Physics %s/></Object>",
               name.c_str(), static_cast<double>(position.x), static_cast<double>(position.y),
               static_cast<double>(position.z), physics.c_str()));
    return Game::System::GetInstance().CreateObject(static_cast<const IParserData*>(&element));
}

// A character falling through a column of N boxes, all inside grid cell (0, 0, 0); one step taken so
// that it has a path to sweep.
CharacterPhysics* BuildScene(int boxes)
{
    Physics::System& physics = Physics::System::GetInstance();
    physics.Initialize();
    physics.m_customComponentFactory = &CreateCustomPhysicsComponent;
    auto* character =
        MakeObject("player", glm::vec3(0.0f, 20.0f, 0.0f),
                   R"(type="PhysicsComponent_CharacterPhysics" category="Dynamic" shape="AABB" )"
                   R"(size="1;2;1" velocity="0;-150;0")")
            ->GetComponent<CharacterPhysics>();
    for (int index = 0; index < boxes; ++index)
    {
        const glm::vec3 position(static_cast<float>(index % 8) * 4.0f - 14.0f,
                                 static_cast<float>(index / 64) * 4.0f - 14.0f,
                                 static_cast<float>((index / 8) % 8) * 4.0f - 14.0f);
        MakeObject("box", position, R"(category="Static" shape="AABB" size="3;0.1;3" mass="0")");
    }
    // The first box sits on the character's path.
    if (boxes > 0)
    {
        physics.GetStaticComponents().front()->GetTargetTransform()->SetPosition(
            glm::vec3(0.0f, 18.0f, 0.0f));
    }
    physics.Update(0.016f);
    return character;
}

void ReleaseScene()
{
    Game::System::GetInstance().Release();
    Physics::System::GetInstance().Release();
}

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void CharacterNarrowPhase(benchmark::State& state)
{
    const int boxes = static_cast<int>(state.range(0));
    CharacterPhysics* character = BuildScene(boxes);
    const std::vector<Physics::Component*> statics = Physics::System::GetInstance().GetStaticComponents();
    const auto& shape = static_cast<const Physics::AABB&>(*character->GetShape());
    const glm::vec3 start = character->GetPreviousPosition();
    const glm::vec3 end = character->GetTargetTransform()->GetPosition();
    std::vector<Physics::Contact> bare;
    std::size_t engineContacts = 0;
    double engineSeconds = 0.0;
    double bareSeconds = 0.0;
    for (auto _ : state)
    {
        auto begin = std::chrono::steady_clock::now();
        for (Physics::Component* box : statics)
        {
            if (character->CanCollideWith(box))
            {
                character->Collide(box);
            }
        }
        engineContacts = character->GetContacts().size();
        character->ClearContacts();
        for (Physics::Component* box : statics)
        {
            box->ClearContacts();
        }
        engineSeconds += Seconds(begin);

        begin = std::chrono::steady_clock::now();
        for (const Physics::Component* box : statics)
        {
            const auto& other = static_cast<const Physics::AABB&>(*box->GetShape());
            Physics::Contact contact;
            if (shape.CollideAABB(&other, &contact))
            {
                bare.push_back(contact);
            }
            if (const auto hit = SweepSegmentAgainstBox(start, end, other.GetMin(), other.GetMax()))
            {
                contact.point = hit->point;
                bare.push_back(contact);
            }
        }
        benchmark::DoNotOptimize(bare.data());
        bare.clear();
        bareSeconds += Seconds(begin);
    }
    const double steps = static_cast<double>(state.iterations());
    state.counters["ns_per_step"] = engineSeconds * 1e9 / steps;
    state.counters["ns_per_box"] = engineSeconds * 1e9 / (steps * boxes);
    state.counters["bare_ns_per_box"] = bareSeconds * 1e9 / (steps * boxes);
    state.counters["ratio"] = engineSeconds / bareSeconds;
    state.counters["contacts"] = static_cast<double>(engineContacts);
    ReleaseScene();
}
BENCHMARK(CharacterNarrowPhase)->Arg(1)->Arg(8)->Arg(64)->Arg(512)->Unit(benchmark::kMicrosecond);
} // namespace
