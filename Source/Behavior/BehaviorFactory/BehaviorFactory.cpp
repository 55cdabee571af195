#include "Behavior/BehaviorFactory/BehaviorFactory.h"

#include "Behavior/BehaviorComponent.h"
#include "Behavior/Button/Button.h"
#include "Behavior/CameraController/CameraController.h"
#include "Behavior/CharacterController/CharacterController.h"
#include "Behavior/Credits/Credits.h"
#include "Behavior/Door/Door.h"
#include "Behavior/Editor/Editor.h"
#include "Behavior/Editor/GameEditable.h"
#include "Behavior/FPSText/FPSText.h"
#include "Behavior/FloatingObject/FloatingObject.h"
#include "Behavior/GameLogic/GameLogic.h"
#include "Behavior/GravitationalPlatform/GravitationalPlatform.h"
#include "Behavior/Heart/Heart.h"
#include "Behavior/LoadingScreen/LoadingScreen.h"
#include "Behavior/Looker/Looker.h"
#include "Behavior/Menu/Menu.h"
#include "Behavior/Menu/MenuButton.h"
#include "Behavior/MovingPlatform/MovingPlatform.h"
#include "Behavior/OculusController/OculusController.h"
#include "Behavior/Other/Other.h"
#include "Behavior/ParticleSystem/ParticleSystem_AppearingFloor.h"
#include "Behavior/ParticleSystem/ParticleSystem_ButtonToDoor.h"
#include "Behavior/ParticleSystem/ParticleSystem_Cord.h"
#include "Behavior/ParticleSystem/ParticleSystem_Dust.h"
#include "Behavior/ParticleSystem/ParticleSystem_OtherAura.h"
#include "Behavior/PhysicsController/PhysicsController.h"
#include "Behavior/RenderController/RenderController.h"
#include "Behavior/ResolutionKeeper/ResolutionKeeper.h"
#include "Behavior/RoomLighting/RoomLighting.h"
#include "Behavior/RotatingObject/RotatingObject.h"
#include "Behavior/Splash/Splash.h"
#include "Behavior/Trigger/Trigger.h"
#include "Behavior/Whale/Whale.h"
#include "Parsing/IParserData.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <string>
#include <unordered_map>

using namespace Morvane;

namespace
{
const char* const kChannel = "Custom behavior factory";

using Creator = Behavior::Component* (*)(Game::Object* owner);

// One entry per gameplay behavior: its type name and a function that constructs it for an owner.
template <class T> Behavior::Component* Make(Game::Object* owner)
{
    return new T(owner);
}

const std::unordered_map<std::string, Creator> kBehaviorTypes = {
    {"BehaviorComponent_RenderController", &Make<RenderController>},
    {"BehaviorComponent_PhysicsController", &Make<PhysicsController>},
    {"BehaviorComponent_OculusController", &Make<OculusController>},
    {"BehaviorComponent_LoadingScreen", &Make<LoadingScreen>},
    {"BehaviorComponent_FpsText", &Make<FPSText>},
    {"BehaviorComponent_Credits", &Make<Credits>},
    {"BehaviorComponent_Button", &Make<Button>},
    {"BehaviorComponent_CameraController", &Make<CameraController>},
    {"BehaviorComponent_Editor", &Make<Editor>},
    {"BehaviorComponent_GameEditable", &Make<GameEditable>},
    {"BehaviorComponent_CharacterController", &Make<CharacterController>},
    {"BehaviorComponent_Door", &Make<Door>},
    {"BehaviorComponent_FloatingObject", &Make<FloatingObject>},
    {"BehaviorComponent_GameLogic", &Make<GameLogic>},
    {"BehaviorComponent_GravitationalPlatform", &Make<GravitationalPlatform>},
    {"BehaviorComponent_Menu", &Make<Menu>},
    {"BehaviorComponent_MenuButton", &Make<MenuButton>},
    {"BehaviorComponent_MovingPlatform", &Make<MovingPlatform>},
    {"BehaviorComponent_ResolutionKeeper", &Make<ResolutionKeeper>},
    {"BehaviorComponent_RoomLighting", &Make<RoomLighting>},
    {"BehaviorComponent_RotatingObject", &Make<RotatingObject>},
    {"BehaviorComponent_Splash", &Make<Splash>},
    {"BehaviorComponent_Trigger", &Make<Trigger>},
    {"BehaviorComponent_Other", &Make<Other>},
    {"BehaviorComponent_Heart", &Make<Heart>},
    {"BehaviorComponent_Looker", &Make<Looker>},
    {"BehaviorComponent_Whale", &Make<Whale>},
    {"BehaviorComponent_ParticleSystem_ButtonToDoor", &Make<ParticleSystem_ButtonToDoor>},
    {"BehaviorComponent_ParticleSystem_Cord", &Make<ParticleSystem_Cord>},
    {"BehaviorComponent_ParticleSystem_Dust", &Make<ParticleSystem_Dust>},
    {"BehaviorComponent_ParticleSystem_AppearingFloor", &Make<ParticleSystem_AppearingFloor>},
    {"BehaviorComponent_ParticleSystem_OtherAura", &Make<ParticleSystem_OtherAura>},
};
} // namespace

Behavior::Component* CreateCustomBehaviorComponent(Game::Object* owner, const IParserData* element)
{
    const std::string type = element != nullptr ? element->GetAttribute("type", "") : "";
    if (type.empty())
    {
        Log::Error(kChannel, "No component type");
        return nullptr;
    }
    const auto found = kBehaviorTypes.find(type);
    if (found == kBehaviorTypes.end())
    {
        Log::Error(kChannel, Format("Unrecognized behavior component type '%s'", type.c_str()));
        return nullptr;
    }
    return found->second(owner);
}
