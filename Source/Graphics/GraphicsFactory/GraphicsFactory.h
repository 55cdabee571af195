#pragma once

namespace Morvane
{
class IParserData;
namespace Game
{
class Object;
}
namespace Graphics
{
class Component;
}
} // namespace Morvane

// The game's graphics factory, installed into the graphics system by start-up: a new component of the
// kind named by the element's "type" ("GraphicsComponent_" followed by the kind) for `owner`, or null
// (logged). It only constructs; the caller parses the element afterwards.
//
// Adding a kind: derive from Graphics::Component and add one line to the table in GraphicsFactory.cpp.
Morvane::Graphics::Component* CreateCustomGraphicsComponent(Morvane::Game::Object* owner,
                                                            const Morvane::IParserData* element);
