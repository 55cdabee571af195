#pragma once

namespace Morvane
{
class IParserData;
namespace Game
{
class Object;
}
namespace Physics
{
class Component;
}
} // namespace Morvane

// The game's physics factory, installed into the physics system by start-up: a new body of the class
// named by the element's "type" ("PhysicsComponent_" followed by the class name) for `owner`, or null.
// It only constructs; the caller parses the element afterwards.
//
// Adding a kind: derive from Physics::Component, override the hooks the kind needs (AddForces,
// AdjustVelocity, Collide, Integrate, ResolveContacts), and add one line to the table in
// PhysicsFactory.cpp. Creature segments are built in code, never from data, so they have no line.
Morvane::Physics::Component* CreateCustomPhysicsComponent(Morvane::Game::Object* owner,
                                                          const Morvane::IParserData* element);
