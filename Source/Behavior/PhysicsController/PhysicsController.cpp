#include "Behavior/PhysicsController/PhysicsController.h"

#include "Input/InputSystem.h"
#include "Parsing/IParserData.h"
#include "Physics/PhysicsSystem.h"
#include "Platform/KeyCodes.h"

using namespace Morvane;

bool PhysicsController::Save(IParserData* data)
{
    data->AddChild("Behavior")->SetAttribute("type", "BehaviorComponent_PhysicsController");
    return true;
}

void PhysicsController::Update(const float& dt)
{
    const Input::System& input = Input::System::GetInstance();
    const bool step =
        input.IsTriggered('U') || (input.IsHeld('U') && input.IsHeld(Platform::VirtualKey::kControl));
    Physics::System& physics = Physics::System::GetInstance();
    // Only a paused simulation is stepped by hand; setting the pause afterwards would freeze a running one.
    if (!step || !physics.IsPaused())
    {
        return;
    }
    physics.SetPaused(false);
    physics.Update(dt);
    physics.SetPaused(true);
}
