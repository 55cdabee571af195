#pragma once

#include "Behavior/BehaviorComponent.h"

#include <functional>
#include <string>
#include <vector>

namespace Morvane::Testing
{
// A behavior that records each update under "<object>/<id>" and can run a test's action when it
// updates.
class CountingBehavior : public Behavior::Component
{
public:
    explicit CountingBehavior(Game::Object* owner) : Behavior::Component(owner) {}
    ~CountingBehavior() override { ++destroyed; }

    bool Parse(const IParserData* data) override;
    bool Save(IParserData* data) override;
    void Update(const float& dt) override;
    void Release() override { ++released; }

    std::function<void()> onUpdate;

    // Clears the records below.
    static void Reset();
    static std::vector<std::string> updates;
    static int released;
    static int destroyed;
};

// The test factory: "BehaviorComponent_Counting", "BehaviorComponent_Refusing" (fails to parse),
// anything else to the game's factory.
Behavior::Component* CreateTestBehavior(Game::Object* owner, const IParserData* element);
} // namespace Morvane::Testing
