#include "Behavior/OculusController/OculusController.h"

#include "Hmd/HmdDevice.h"
#include "Parsing/IParserData.h"

using namespace Morvane;

bool OculusController::Save(IParserData* data)
{
    data->AddChild("Behavior")->SetAttribute("type", "BehaviorComponent_OculusController");
    return true;
}

bool OculusController::Initialize()
{
    m_open = Hmd::Device::GetInstance().Open();
    return true;
}
