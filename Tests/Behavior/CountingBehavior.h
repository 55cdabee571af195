#pragma once

#include "Behavior/BehaviorComponent.h"
#include "Behavior/BehaviorFactory/BehaviorFactory.h"
#include "Component/Object.h"
#include "Parsing/IParserData.h"

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

    bool Parse(const IParserData* data) override { return Game::Component::Parse(data); }
    void Update(const float&) override
    {
        updates.push_back(GetOwnerName() + "/" + GetId());
        if (onUpdate)
        {
            onUpdate();
        }
    }
    void Release() override { ++released; }

    std::function<void()> onUpdate;

    static void Reset()
    {
        updates.clear();
        released = 0;
        destroyed = 0;
    }
    static inline std::vector<std::string> updates;
    static inline int released = 0;
    static inline int destroyed = 0;
};

class RefusingBehavior : public CountingBehavior
{
public:
    using CountingBehavior::CountingBehavior;
    bool Parse(const IParserData*) override { return false; }
};

// The test factory: "BehaviorComponent_Counting", "BehaviorComponent_Refusing" (fails to parse),
// anything else to the game's factory.
inline Behavior::Component* CreateTestBehavior(Game::Object* owner, const IParserData* element)
{
    const std::string type = element != nullptr ? element->GetAttribute("type", "") : "";
    if (type == "BehaviorComponent_Counting")
    {
        return new CountingBehavior(owner);
    }
    if (type == "BehaviorComponent_Refusing")
    {
        return new RefusingBehavior(owner);
    }
    return CreateCustomBehaviorComponent(owner, element);
}
} // namespace Morvane::Testing
