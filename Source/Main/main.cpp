#include "Analytics/AnalyticsSystem.h"
#include "Analytics/Endpoint.h"
#include "Behavior/BehaviorFactory/BehaviorFactory.h"
#include "Behavior/BehaviorSystem.h"
#include "Behavior/GameLogic/GameLogic.h"
#include "Behavior/Options/Options.h"
#include "Behavior/Options/OptionsFile.h"
#include "Capture/CaptureRunner.h"
#include "Capture/CaptureScript.h"
#include "Capture/InputRecorder.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/GraphicsFactory/GraphicsFactory.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/RenderQuality/RenderQuality.h"
#include "Hmd/HmdDevice.h"
#include "Main/CommandLine.h"
#include "Main/CrashGuard.h"
#include "Main/CrashReport.h"
#include "Main/EngineSystems.h"
#include "Parsing/FileParser/FileParser.h"
#include "Physics/PhysicsFactory/PhysicsFactory.h"
#include "Physics/PhysicsSystem.h"
#include "Platform/Interrupt.h"
#include "System/Assert/Assertion.h"
#include "System/PathWrapper/PathWrapper.h"
#include "SystemManager/SystemManager.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
using namespace Morvane;

const char* const kProjectConfiguration = "$(LocalFolder)Configuration/ProjectConfiguration.xml";
// The exit status of a command line or capture file that cannot be run.
constexpr int kBadInput = 2;
// The exit status of a capture or recording that crashed or could not write its files.
constexpr int kRunFailed = 1;

// What one run of the game starts from.
struct RunSettings
{
    std::string configuration = kProjectConfiguration;
    // Empty: the shipped analytics file.
    std::filesystem::path analytics;
    // Empty: no options file; `defaults`, never saved.
    std::filesystem::path options;
    OptionValues defaults;
};

// The lowest render quality whose targets are at least a window of that size; the highest when none is.
int QualityCovering(int width, int height)
{
    const auto& steps = OptionValues::kQualitySteps;
    for (std::size_t index = 0; index < steps.size(); ++index)
    {
        if (steps[index].factor * kRenderQualityBaseWidth >= static_cast<float>(width) &&
            steps[index].factor * kRenderQualityBaseHeight >= static_cast<float>(height))
        {
            return static_cast<int>(index);
        }
    }
    return static_cast<int>(steps.size()) - 1;
}

void SendStartedEvent(const RunSettings& settings)
{
    GameAnalytics::System& analytics = GameAnalytics::System::GetInstance();
    if (settings.analytics.empty())
    {
        analytics.Initialize();
    }
    else
    {
        analytics.Initialize(GameAnalytics::Endpoint::Load(settings.analytics.string()));
    }
    analytics.SubmitEvent(AnalyticsEvent::Design("Brimora:Game:Started"));
}

void SendClosedEvent()
{
    AnalyticsEvent closed = AnalyticsEvent::Design("Brimora:Game:Closed");
    GameLogic::DescribePlace(closed);
    GameAnalytics::System::GetInstance().SubmitEvent(closed);
}

bool StartUp(const RunSettings& settings)
{
    Behavior::System::GetInstance().m_customComponentFactory = &CreateCustomBehaviorComponent;
    SetCrashContextProvider(&GameLogic::DescribePlace);
    Physics::System::GetInstance().m_customComponentFactory = &CreateCustomPhysicsComponent;
    Graphics::System::GetInstance().m_customComponentFactory = &CreateCustomGraphicsComponent;
    Graphics::System::GetInstance().m_customUniformIdentifier = &IdentifyCustomPurpose;

    SystemManager& manager = SystemManager::GetInstance();
    RegisterEngineSystems(manager);
    manager.SetConfigurationListener([] { Options::GetInstance().Apply(); });
    // Before the window shows, so that it opens in the player's mode.
    Options::GetInstance().Open(settings.options, settings.defaults);
    bool initialized = false;
    {
        FileParser parser;
        IParserData* parserData = parser.Parse(PathWrapper::GetInstance().Expand(settings.configuration));
        MORVANE_ASSERT_NAMED_IN(parserData != nullptr, "parserData", "Source/main.cpp", 76);
        initialized = manager.Initialize(parserData);
    }
    // The configuration tree lives in the object pools, which releasing the systems empties: free it
    // first.
    if (!initialized)
    {
        manager.Release();
        return false;
    }
    // Without a display the game runs on the window alone.
    Hmd::Device::GetInstance().Open();
    return true;
}

void RunGame(const RunSettings& settings)
{
    // A signal during start-up is taken up by the first frame, so the game still ends cleanly.
    const Platform::InterruptPollingScope polling;
    SendStartedEvent(settings);
    if (!StartUp(settings))
    {
        throw "Could not initialize";
    }
    SystemManager::GetInstance().Run();
    // A change on the last frame had no later frame to save it.
    Options::GetInstance().SaveIfChanged();
    SendClosedEvent();
    SystemManager::GetInstance().Release();
}

int RunCapture(const CommandLine& commandLine)
{
    Capture::CaptureScript script;
    if (!script.Load(commandLine.GetCapture()))
    {
        return kBadInput;
    }
    // Configurations written for captures name files beside their script through "$(CaptureFolder)".
    const std::filesystem::path scriptFolder =
        std::filesystem::absolute(PathWrapper::GetInstance().Expand(commandLine.GetCapture())).parent_path();
    PathWrapper::GetInstance().AddPath("CaptureFolder", scriptFolder.string() + "/");
    RunSettings settings;
    if (!script.GetConfiguration().empty())
    {
        settings.configuration = script.GetConfiguration().string();
    }
    else if (!commandLine.GetConfiguration().empty())
    {
        settings.configuration = commandLine.GetConfiguration();
    }
    settings.analytics = script.GetAnalytics();
    // A capture never reads or writes the player's own options. Without a file of its own, a capture
    // with a window size renders at the lowest quality that still covers its window: captures are
    // mostly small, and full-size effect targets only made them slower.
    settings.options = script.GetOptions();
    if (script.GetWidth() && script.GetHeight())
    {
        settings.defaults.qualityIndex = QualityCovering(*script.GetWidth(), *script.GetHeight());
    }
    // A capture runs unattended: a failure's message box must never wait for a button.
    setenv("MORVANE_NO_MESSAGE_BOX", "1", 1);

    int status = kRunFailed;
    const int guarded = RunWithCrashReport(
        [&]
        {
            Capture::CaptureRunner runner(script);
            RunGame(settings);
            status = runner.Finish();
        },
        kRunFailed);
    return guarded != 0 ? guarded : status;
}
int RunRecorded(const RunSettings& settings, const std::string& recording)
{
    bool written = false;
    const int guarded = RunWithCrashReport(
        [&]
        {
            Capture::InputRecorder recorder;
            RunGame(settings);
            written = recorder.Write(recording);
        });
    return guarded != 0 || written ? guarded : kRunFailed;
}
} // namespace

int main(int argc, char** argv)
{
    CommandLine commandLine;
    if (!commandLine.Parse(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc)))
    {
        std::fprintf(stderr, "brimora: %s\n%s", commandLine.GetError().c_str(), CommandLine::kUsage);
        return kBadInput;
    }
    Platform::InstallInterruptHandler();
    if (!commandLine.GetCapture().empty())
    {
        return RunCapture(commandLine);
    }
    RunSettings settings;
    if (!commandLine.GetConfiguration().empty())
    {
        settings.configuration = commandLine.GetConfiguration();
    }
    settings.options = OptionsFile::UserPath();
    if (!commandLine.GetRecord().empty())
    {
        return RunRecorded(settings, commandLine.GetRecord());
    }
    return RunWithCrashReport([&settings] { RunGame(settings); });
}
