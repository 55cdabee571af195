#include "Behavior/BehaviorComponent.h"

#include "Behavior/BehaviorSystem.h"
#include "Parsing/IParserData.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

namespace Morvane::Behavior
{
bool Component::Parse(const IParserData*)
{
    return true;
}

bool Component::Save(IParserData* data)
{
    IParserData* element = data->GetName() == "Behavior" ? data : data->AddChild("Behavior");
    IParserData* common = element->AddChild("Common");
    for (const std::string& setName : System::GetInstance().GetComponentSets(this))
    {
        common->AddChild("BehaviorSet")->SetAttribute("name", setName);
    }
    return true;
}

void Component::Clone(Game::Component* destination)
{
    if (dynamic_cast<Component*>(destination) == nullptr)
    {
        Log::Error(Format("%s/Behavior", GetOwnerName().c_str()), "Tried to clone incorrect types");
    }
}
} // namespace Morvane::Behavior
