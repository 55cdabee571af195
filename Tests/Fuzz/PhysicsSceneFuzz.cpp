// An object and a mesh from the input, in a small fixed scene, stepped 10 frames: no crash, no undefined
// behaviour, and finite positions whenever the input's numbers stay in a sane range.
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "FuzzSupport.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Physics/PhysicsComponent.h"
#include "Physics/PhysicsSystem.h"
#include "Shape/AABB.h"
#include "Shape/ConvexPolyhedra.h"
#include "System/StringUtilities/StringUtilities.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

using namespace Morvane;

namespace
{
constexpr std::size_t kMaxMeshFloats = 3000;
// Within these bounds every step stays far from the float range, so a non-finite position is a fault.
constexpr float kSaneMagnitude = 1.0e4f;

// The fixed scene: a floor, a box, a kinematic platform and a hull built from the input's mesh.
constexpr const char* kScene = R"(<Scene>
    <Object name="Floor"><Transform position="0;-1;0" scale="40;2;40"/>
        <Physics shape="AABB" size="40;2;40" category="Static" mass="0"/></Object>
    <Object name="Crate"><Transform position="0.5;1;0"/>
        <Physics shape="AABB" size="1;1;1" category="Dynamic" velocity="0;-1;0"/></Object>
    <Object name="Platform"><Transform position="0;2;0" scale="4;0.5;4"/>
        <Physics shape="AABB" size="4;0.5;4" category="Kinematic" velocity="0.5;0;0"/></Object>
    <Object name="Hull"><Transform position="0;0.5;0"/>
        <Physics shape="ConvexPolyhedra" category="Dynamic" velocity="0;0;1"/></Object>
</Scene>)";

struct Mesh
{
    std::vector<std::uint32_t> indices;
    std::vector<float> positions;
};

Mesh ReadMesh(const IParserData* element)
{
    Mesh mesh;
    if (element == nullptr)
    {
        return mesh;
    }
    for (const std::string& piece : StringUtilities::Split(element->GetAttribute("indices", ""), ';'))
    {
        if (!piece.empty() && mesh.indices.size() < kMaxMeshFloats)
        {
            mesh.indices.push_back(static_cast<std::uint32_t>(
                std::min(std::strtoull(piece.c_str(), nullptr, 10), 0xFFFFFFFFull)));
        }
    }
    for (const std::string& piece : StringUtilities::Split(element->GetAttribute("positions", ""), ';'))
    {
        if (mesh.positions.size() < kMaxMeshFloats)
        {
            mesh.positions.push_back(static_cast<float>(std::atof(piece.c_str())));
        }
    }
    return mesh;
}

bool Sane(float value)
{
    return std::isfinite(value) && std::abs(value) <= kSaneMagnitude;
}

bool Sane(const glm::vec3& vector)
{
    return Sane(vector.x) && Sane(vector.y) && Sane(vector.z);
}

// Whether every number the bodies started from is in the sane range (restitution at most 1).
bool SaneStart(const std::vector<Physics::Component*>& bodies, const Mesh& mesh)
{
    for (const Physics::Component* body : bodies)
    {
        const Game::TransformComponent* transform = body->GetTargetTransform();
        if (!Sane(transform->GetPosition()) || !Sane(transform->GetScale()) || !Sane(body->GetVelocity()) ||
            body->GetRestitution() < 0.0f || body->GetRestitution() > 1.0f)
        {
            return false;
        }
        const auto* box = dynamic_cast<const Physics::AABB*>(body->GetShape());
        if (box != nullptr && !Sane(box->GetHalfSize()))
        {
            return false;
        }
        const glm::quat& rotation = transform->GetRotation();
        if (!Sane(rotation.x) || !Sane(rotation.y) || !Sane(rotation.z) || !Sane(rotation.w))
        {
            return false;
        }
    }
    return std::all_of(mesh.positions.begin(), mesh.positions.end(), [](float value) { return Sane(value); });
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzzing::SilenceLog();
    Physics::System::GetInstance().Initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Game::System& game = Game::System::GetInstance();
    Physics::System& physics = Physics::System::GetInstance();
    {
        XMLParserData scene;
        Fuzzing::Require(scene.FromString(kScene), "the fixed scene reads");
        for (const IParserData* object = scene.GetFirstChild(); object != nullptr;
             object = object->GetNextSibling())
        {
            game.CreateObject(object);
        }
        XMLParserData input;
        if (input.FromString(std::string(reinterpret_cast<const char*>(data), size)))
        {
            const IParserData* meshElement = nullptr;
            for (const IParserData* child = input.GetFirstChild(); child != nullptr;
                 child = child->GetNextSibling())
            {
                if (child->GetName() == "Object")
                {
                    game.CreateObject(child);
                }
                else if (child->GetName() == "Mesh" && meshElement == nullptr)
                {
                    meshElement = child;
                }
            }
            const Mesh mesh = ReadMesh(meshElement);
            for (Physics::Component* body : physics.GetComponents())
            {
                if (auto* hull = dynamic_cast<Physics::ConvexPolyhedra*>(body->GetShape()))
                {
                    hull->Build(mesh.indices, mesh.positions, Physics::VertexLayout{});
                }
            }
            const bool sane = SaneStart(physics.GetComponents(), mesh);
            for (int frame = 0; frame < 10; ++frame)
            {
                game.Update(0.016f);
                physics.Update(0.016f);
            }
            for (const Physics::Component* body : physics.GetComponents())
            {
                const glm::vec3& position = body->GetTargetTransform()->GetPosition();
                Fuzzing::Require(!sane || (std::isfinite(position.x) && std::isfinite(position.y) &&
                                           std::isfinite(position.z)),
                                 "positions stay finite when the input's numbers are sane");
            }
        }
    }
    game.Release();
    physics.Release();
    Fuzzing::Require(physics.GetComponents().empty() && physics.GetGrid().GetOverflow().empty(),
                     "release leaves no body behind");
    return 0;
}
