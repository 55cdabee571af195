#pragma once

#include "Component/Component.h"

namespace Morvane::Behavior
{
// Base of every gameplay behavior. The behavior system creates it through the game's factory,
// updates it with the sets it belongs to and destroys it.
class Component : public Game::Component
{
public:
    explicit Component(Game::Object* parentObject) : Game::Component(parentObject) {}

    // Reads nothing; gameplay classes read their own attributes.
    bool Parse(const IParserData* data) override;
    // Writes a "Behavior" element (unless `data` is one) with the component's sets under "Common".
    bool Save(IParserData* data) override;
    // Only checks the destination's kind; gameplay classes copy their own settings.
    void Clone(Game::Component* destination) override;

    virtual void Update(const float& dt) = 0;
    // Called by the behavior system just before it destroys the component.
    virtual void Release() {}
};
} // namespace Morvane::Behavior
