#pragma once

#include "Behavior/BehaviorComponent.h"

// An ornament that turns about its z axis by one degree a second, reading its angle back from its
// rotation each frame.
class RotatingObject : public Morvane::Behavior::Component
{
public:
    static constexpr float kDegreesPerSecond = 1.0f;

    explicit RotatingObject(Morvane::Game::Object* owner) : Component(owner) {}

    bool Save(Morvane::IParserData* data) override;
    void Update(const float& dt) override;
};
