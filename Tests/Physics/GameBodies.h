#pragma once

#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "ParseXml.h"
#include "Physics/CreatureBodyPhysics/CreatureBodyPhysics.h"
#include "Physics/PhysicsFactory/PhysicsFactory.h"
#include "Physics/PhysicsSystem.h"
#include "Shape/ConvexPolyhedra.h"
#include "Shape/TestMeshes.h"

#include <gtest/gtest.h>
#include <string>

namespace Morvane::Testing
{
// Bodies of the game's kinds built from object descriptions, with the game's factory installed.
// Creature segments, which data cannot name, come from "PhysicsComponent_CreatureBodyPhysics" here
// as the creature behaviors would build them in code.
class GameBodies : public testing::Test
{
protected:
    void SetUp() override
    {
        physics.Initialize();
        physics.m_customComponentFactory = &CreateWithCreatures;
    }
    void TearDown() override
    {
        game.Release();
        physics.Release();
        physics.m_customComponentFactory = nullptr;
        physics.SetUseGrid(true);
    }

    // An object with a transform at `position` and one "Physics" element with `attributes`.
    Game::Object* Body(const std::string& name, const std::string& position, const std::string& attributes,
                       const std::string& transform = "")
    {
        const auto element = ParseXml("<Object name=\"" + name + "\"><Transform position=\"" + position +
                                      "\" " + transform + "/><Physics " + attributes + "/></Object>");
        return game.CreateObject(static_cast<const IParserData*>(element.get()));
    }
    template <class Kind = Physics::Component> Kind* BodyOf(Game::Object* object) const
    {
        return object != nullptr ? object->GetComponent<Kind>() : nullptr;
    }
    template <class Kind = Physics::Component>
    Kind* MakeBody(const std::string& name, const std::string& position, const std::string& attributes,
                   const std::string& transform = "")
    {
        return BodyOf<Kind>(Body(name, position, attributes, transform));
    }
    // A convex body given the unit-half-size cube's hull from raw triangle data.
    template <class Kind = Physics::Component>
    Kind* MakeCube(const std::string& name, const std::string& position, const std::string& attributes,
                   const std::string& transform = "")
    {
        Kind* body = MakeBody<Kind>(name, position, R"(shape="ConvexPolyhedra" )" + attributes, transform);
        if (body != nullptr)
        {
            BuildShape(static_cast<Physics::ConvexPolyhedra&>(*body->GetShape()), CubeMesh());
        }
        return body;
    }
    static Game::TransformComponent& TransformOf(const Physics::Component* body)
    {
        return *body->GetTargetTransform();
    }
    void Step(float dt, int count = 1)
    {
        for (int step = 0; step < count; ++step)
        {
            physics.Update(dt);
        }
    }

    Game::System& game = Game::System::GetInstance();
    Physics::System& physics = Physics::System::GetInstance();

private:
    static Physics::Component* CreateWithCreatures(Game::Object* owner, const IParserData* element)
    {
        if (element->GetAttribute("type", "") == "PhysicsComponent_CreatureBodyPhysics")
        {
            return new CreatureBodyPhysics(owner);
        }
        return CreateCustomPhysicsComponent(owner, element);
    }
};
} // namespace Morvane::Testing
