#pragma once

namespace Morvane
{
class IParserData;
namespace Behavior
{
class Component;
}
namespace Game
{
class Object;
}
} // namespace Morvane

// The game's behavior factory: a new behavior of the class named by the element's "type"
// ("BehaviorComponent_" followed by the class name) for `owner`, or null. It only constructs; the
// caller parses the element afterwards.
Morvane::Behavior::Component* CreateCustomBehaviorComponent(Morvane::Game::Object* owner,
                                                            const Morvane::IParserData* element);
