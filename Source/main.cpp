#include "Analytics/AnalyticsSystem.h"
#include "Behavior/BehaviorFactory/BehaviorFactory.h"
#include "Behavior/BehaviorSystem.h"
#include "Parsing/FileParser/FileParser.h"
#include "Platform/Interrupt.h"
#include "System/Assert/Assertion.h"
#include "System/Crash/CrashReport.h"
#include "System/PathWrapper/PathWrapper.h"
#include "SystemManager/SystemManager.h"

namespace
{
using namespace Morvane;

// The code an exception thrown by the program itself carries; it is reported as "UNHANDLED".
constexpr unsigned long kProgramExceptionCode = 0xE06D7363;

void SendStartedEvent()
{
    GameAnalytics::System& analytics = GameAnalytics::System::GetInstance();
    analytics.Initialize();
    AnalyticsEvent event;
    event.category = "design";
    event.fields["event_id"] = "Brimora:Game:Started";
    analytics.SubmitEvent(event);
}

void SendClosedEvent()
{
    AnalyticsEvent event;
    event.category = "design";
    event.fields["event_id"] = "Brimora:Game:Closed";
    GameAnalytics::System::GetInstance().SubmitEvent(event);
}

bool StartUp()
{
    Behavior::System::GetInstance().m_customComponentFactory = &CreateCustomBehaviorComponent;

    FileParser parser;
    IParserData* parserData = parser.Parse(
        PathWrapper::GetInstance().Expand("$(LocalFolder)Configuration/ProjectConfiguration.xml"));
    MORVANE_ASSERT_NAMED(parserData != nullptr, "parserData", 76);

    SystemManager& manager = SystemManager::GetInstance();
    if (!manager.Initialize(parserData))
    {
        manager.Release();
        return false;
    }
    return true;
}

void RunGame()
{
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
    try
    {
        RunGame();
    }
    catch (...)
    {
        ReportCrash(kProgramExceptionCode);
    }
    return 0;
}
