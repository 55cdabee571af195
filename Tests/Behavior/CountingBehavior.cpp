#include "CountingBehavior.h"

#include "Behavior/BehaviorFactory/BehaviorFactory.h"
#include "Component/Object.h"
#include "Parsing/IParserData.h"

namespace Morvane::Testing
{
std::vector<std::string> CountingBehavior::updates;
int CountingBehavior::released = 0;
int CountingBehavior::destroyed = 0;

namespace
{
class RefusingBehavior : public CountingBehavior
{
public:
    using CountingBehavior::CountingBehavior;
    bool Parse(const IParserData*) override { return false; }
};
} // namespace

bool CountingBehavior::Parse(const IParserData* data)
{
    Game::Component::Parse(data);
    return true;
}

bool CountingBehavior::Save(IParserData* data)
{
    IParserData* element = data->GetName() == "Behavior" ? data : data->AddChild("Behavior");
    Behavior::Component::Save(element);
    element->SetAttribute("type", "BehaviorComponent_Counting");
    element->SetAttribute("id", GetId());
    return true;
}

void CountingBehavior::Update(const float&)
{
    updates.push_back(GetOwnerName() + "/" + GetId());
    if (onUpdate)
    {
        onUpdate();
    }
}

void CountingBehavior::Reset()
{
    updates.clear();
    released = 0;
    destroyed = 0;
}

Behavior::Component* CreateTestBehavior(Game::Object* owner, const IParserData* element)
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
