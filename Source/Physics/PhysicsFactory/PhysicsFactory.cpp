#include "Physics/PhysicsFactory/PhysicsFactory.h"

#include "Parsing/IParserData.h"
#include "Physics/CharacterPhysics/CharacterPhysics.h"
#include "Physics/RigidBody/RigidBody.h"
#include "Physics/SpringPhysics/SpringPhysics.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <string>
#include <unordered_map>

using namespace Morvane;

namespace
{
const char* const kChannel = "Custom physics factory";

using Creator = Physics::Component* (*)(Game::Object* owner);

template <class Kind> Physics::Component* Create(Game::Object* owner)
{
    return new Kind(owner);
}

// One entry per physics kind that data may name.
const std::unordered_map<std::string, Creator> kPhysicsTypes = {
    {"PhysicsComponent_CharacterPhysics", &Create<CharacterPhysics>},
    {"PhysicsComponent_SpringPhysics", &Create<SpringPhysics>},
    {"PhysicsComponent_RigidBody", &Create<RigidBody>},
};
} // namespace

Physics::Component* CreateCustomPhysicsComponent(Game::Object* owner, const IParserData* element)
{
    const std::string type = element != nullptr ? element->GetAttribute("type", "") : "";
    if (type.empty())
    {
        Log::Error(kChannel, "No component type");
        return nullptr;
    }
    const auto found = kPhysicsTypes.find(type);
    if (found == kPhysicsTypes.end())
    {
        Log::Error(kChannel, Format("Unrecognized physics component type '%s'", type.c_str()));
        return nullptr;
    }
    return found->second(owner);
}
