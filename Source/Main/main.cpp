#include "Analytics/AnalyticsSystem.h"
#include "Behavior/BehaviorFactory/BehaviorFactory.h"
#include "Behavior/BehaviorSystem.h"
#include "Main/CrashGuard.h"
#include "Main/EngineSystems.h"
#include "Parsing/FileParser/FileParser.h"
#include "Platform/Interrupt.h"
#include "System/Assert/Assertion.h"
#include "System/PathWrapper/PathWrapper.h"
#include "SystemManager/SystemManager.h"

namespace
{
using namespace Morvane;

void SendStartedEvent()
{
    GameAnalytics::System& analytics = GameAnalytics::System::GetInstance();
    analytics.Initialize();
    analytics.SubmitEvent(AnalyticsEvent::Design("Brimora:Game:Started"));
}

void SendClosedEvent()
{
    GameAnalytics::System::GetInstance().SubmitEvent(AnalyticsEvent::Design("Brimora:Game:Closed"));
}

bool StartUp()
{
    Behavior::System::GetInstance().m_customComponentFactory = &CreateCustomBehaviorComponent;

    SystemManager& manager = SystemManager::GetInstance();
    RegisterEngineSystems(manager);
    bool initialized = false;
    {
        FileParser parser;
        IParserData* parserData = parser.Parse(
            PathWrapper::GetInstance().Expand("$(LocalFolder)Configuration/ProjectConfiguration.xml"));
        MORVANE_ASSERT_NAMED_IN(parserData != nullptr, "parserData", "Source/main.cpp", 76);
        initialized = manager.Initialize(parserData);
    }
    // The configuration tree lives in the object pools, which releasing the systems empties: free it
    // first.
    if (!initialized)
    {
        manager.Release();
    }
    return initialized;
}

void RunGame()
{
    // A signal during start-up is taken up by the first frame, so the game still ends cleanly.
    const Platform::InterruptPollingScope polling;
    SendStartedEvent();
    if (!StartUp())
    {
        throw "Could not initialize";
    }
    SystemManager::GetInstance().Run();
    SendClosedEvent();
    SystemManager::GetInstance().Release();
}
} // namespace

int main()
{
    Platform::InstallInterruptHandler();
    return RunWithCrashReport(&RunGame);
}
