// Up to eight bodies of the game's physics kinds, described as objects with attributes taken from the
// input, stepped 120 times with the input's step times and kicks. Whatever the input, no sanitizer
// report, no assertion, and every transform stays finite (every number the input can give is finite
// or refused by the parser).
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "FuzzSupport.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Physics/CreatureBodyPhysics/CreatureBodyPhysics.h"
#include "Physics/PhysicsFactory/PhysicsFactory.h"
#include "Physics/PhysicsSystem.h"
#include "Physics/RigidBody/RigidBody.h"
#include "Shape/TestMeshes.h"
#include "System/Logging/Format.h"

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace Morvane;

namespace
{
class Input
{
public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool Empty() const { return m_at >= m_size; }
    std::uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    // A number in [-327.68, 327.67] with two decimals.
    float Number()
    {
        const std::uint16_t raw = static_cast<std::uint16_t>(Byte() | (Byte() << 8));
        std::int16_t value;
        std::memcpy(&value, &raw, sizeof(value));
        return static_cast<float>(value) / 100.0f;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

const std::array<const char*, 6> kTypes = {
    "PhysicsComponent_CharacterPhysics", "PhysicsComponent_SpringPhysics",       "PhysicsComponent_RigidBody",
    "PhysicsComponent_RigidBody",        "PhysicsComponent_CreatureBodyPhysics", ""};
const std::array<const char*, 4> kCategories = {"Dynamic", "Dynamic", "Kinematic", "Static"};
// Texts the parser must refuse or read as plain numbers.
const std::array<const char*, 8> kOddTexts = {"nan", "inf", "-1", "1e-40", "", "x", "1e39", "1e-38"};

Physics::Component* CreateWithCreatures(Game::Object* owner, const IParserData* element)
{
    if (element->GetAttribute("type", "") == "PhysicsComponent_CreatureBodyPhysics")
    {
        return new CreatureBodyPhysics(owner);
    }
    return CreateCustomPhysicsComponent(owner, element);
}

std::string NumberText(Input& input)
{
    const std::uint8_t choice = input.Byte();
    if (choice < 16)
    {
        return kOddTexts[choice % kOddTexts.size()];
    }
    return Format("%.9g", static_cast<double>(input.Number()));
}

std::string VectorText(Input& input)
{
    return Format("%.9g;%.9g;%.9g", static_cast<double>(input.Number()), static_cast<double>(input.Number()),
                  static_cast<double>(input.Number()));
}

std::string Description(Input& input, std::size_t index, bool& convex)
{
    const std::uint8_t kind = input.Byte() % kTypes.size();
    convex = kind == 3;
    std::string physics = std::string("category=\"") + kCategories[input.Byte() % kCategories.size()] + "\"";
    if (kTypes[kind][0] != '\0')
    {
        physics += std::string(" type=\"") + kTypes[kind] + "\"";
    }
    physics += convex ? " shape=\"ConvexPolyhedra\"" : " shape=\"AABB\" size=\"" + VectorText(input) + "\"";
    const std::uint8_t flags = input.Byte();
    physics += " mass=\"" + (flags & 1 ? NumberText(input) : Format("%d", input.Byte() % 128)) + "\"";
    physics += " velocity=\"" + VectorText(input) + "\"";
    // The base step trusts restitution to lie in [0, 1]: beyond it every bounce gains speed.
    physics += Format(" restitution=\"%.9g\"", static_cast<double>(input.Byte()) / 255.0);
    physics += flags & 2 ? " resolveContacts=\"false\"" : "";
    physics +=
        flags & 4 ? Format(" collisionIds=\"%d\" collideWithIds=\"%d\"", flags >> 6, (flags >> 4) & 3) : "";
    const std::string transform =
        "position=\"" + VectorText(input) + "\" scale=\"" + VectorText(input) +
        Format("\" rotationDegrees=\"%d\" rotationAxis=\"0;1;0\"", input.Byte() * 3);
    return Format("<Object name=\"body%zu\"><Transform %s/><Physics %s/></Object>", index, transform.c_str(),
                  physics.c_str());
}

bool IsFinite(const Game::TransformComponent& transform)
{
    const glm::vec3& p = transform.GetPosition();
    const glm::quat& q = transform.GetRotation();
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && std::isfinite(q.w) &&
           std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z);
}

// A kick names its object: an earlier kick may have destroyed it.
void Kick(Input& input, const std::vector<std::string>& names)
{
    const std::uint8_t what = input.Byte();
    Game::System& game = Game::System::GetInstance();
    Game::Object* object = game.GetObject(names[what % names.size()]);
    if (object == nullptr)
    {
        return;
    }
    auto* body = object->GetComponent<Physics::Component>();
    switch ((what >> 4) % 4)
    {
    case 0:
    case 1:
        if (body != nullptr)
        {
            body->SetVelocity(body->GetVelocity() +
                              glm::vec3(input.Number(), input.Number(), input.Number()));
        }
        break;
    case 2:
        if (auto* rigid = dynamic_cast<RigidBody*>(body))
        {
            rigid->AddTorque(glm::vec3(input.Number(), input.Number(), input.Number()) * 100.0f);
        }
        break;
    default:
        game.MarkForDeletion(object);
        game.Update(0.0f);
        break;
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzzing::SilenceLog();
    Physics::System::GetInstance().Initialize();
    Physics::System::GetInstance().m_customComponentFactory = &CreateWithCreatures;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input input(data, size);
    Game::System& game = Game::System::GetInstance();
    Physics::System& physics = Physics::System::GetInstance();
    const std::size_t count = input.Byte() % 8 + 1;
    std::vector<Game::Object*> objects;
    std::vector<std::string> names;
    for (std::size_t index = 0; index < count; ++index)
    {
        bool convex = false;
        XMLParserData element;
        Fuzzing::Require(element.FromString(Description(input, index, convex)), "the description is XML");
        Game::Object* object = game.CreateObject(static_cast<const IParserData*>(&element));
        if (object == nullptr)
        {
            continue;
        }
        objects.push_back(object);
        names.push_back(object->GetName());
        auto* body = object->GetComponent<Physics::Component>();
        if (convex && body != nullptr)
        {
            Testing::BuildShape(static_cast<Physics::ConvexPolyhedra&>(*body->GetShape()),
                                Testing::CubeMesh());
        }
        if (auto* segment = dynamic_cast<CreatureBodyPhysics*>(body); segment != nullptr && !objects.empty())
        {
            Game::Object* followed = objects[input.Byte() % objects.size()];
            segment->SetAttachedToTransform(followed->GetComponent<Game::TransformComponent>());
            segment->SetOffset(glm::vec3(input.Number(), input.Number(), input.Number()));
        }
    }
    game.Update(0.0f);
    for (int step = 0; step < 120 && !objects.empty(); ++step)
    {
        const float dt = static_cast<float>(input.Byte()) / 255.0f * 0.032f;
        if (input.Byte() < 64)
        {
            Kick(input, names);
        }
        physics.Update(dt);
        for (const Physics::Component* body : physics.GetComponents())
        {
            Fuzzing::Require(IsFinite(*body->GetTargetTransform()), "transforms stay finite");
        }
    }
    game.Release();
    physics.Release();
    return 0;
}
