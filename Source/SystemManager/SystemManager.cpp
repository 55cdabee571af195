#include "SystemManager/SystemManager.h"

#include "ConstantManager/ConstantManager.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "Parsing/ReferencedFile/ReferencedFile.h"
#include "Parsing/ReferencedFile/Sections.h"
#include "Platform/Clock.h"
#include "Platform/Interrupt.h"
#include "Platform/TypeName.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/PathWrapper/PathWrapper.h"
#include "System/Pool/PoolRegistry.h"
#include "SystemManager/FrameDriver.h"
#include "SystemManager/ISystem.h"

#include <limits>

namespace Morvane
{
namespace
{
const char* const kChannel = "System Manager";
// The file system is configured by nothing: it has no element of its own.
const char* const kUnconfiguredSystem = "FileSystem";
} // namespace

SystemManager& SystemManager::GetInstance()
{
    static SystemManager instance;
    return instance;
}

SystemManager::SystemManager() : m_clock(&Platform::GetMilliseconds)
{
    // So that the log and the pools outlive the manager's own release at process exit.
    ISystem::BuildLogAndPoolsFirst();
}

SystemManager::~SystemManager()
{
    // The systems are built after the manager, so they are gone already: a run that ended in a crash
    // left them listed, and only the lists and the pools remain to empty.
    ForgetSystems();
}

void SystemManager::RegisterSystem(const std::string& name, SystemAccessor accessor)
{
    m_systems[name] = accessor;
}

ISystem* SystemManager::FindSystem(const std::string& name) const
{
    const auto found = m_systems.find(name);
    return found == m_systems.end() ? nullptr : &found->second();
}

void SystemManager::SetClock(Clock clock)
{
    m_clock = std::move(clock);
}

bool SystemManager::Initialize(IParserData* data)
{
    if (data == nullptr)
    {
        return false;
    }
    if (data->GetName() == "SystemManager")
    {
        ReferencedFile file(*data);
        if (file.IsNamed() && !Initialize(file.Read()))
        {
            Log::Error(kChannel, Format("Data could not be parsed of path '%s'", file.GetPath().c_str()));
            return false;
        }
    }
    return ForEachInSections(
        *data, [this](IParserData& child) { return InitializeElement(&child); },
        [] { Log::Error(kChannel, "Data could not be parsed by 'Section'"); });
}

bool SystemManager::InitializeElement(IParserData* child)
{
    const std::string name = child->GetName();
    if (name == "Initialize")
    {
        const bool initialized = InitializeSystems();
        if (m_configurationListener)
        {
            m_configurationListener();
        }
        if (!initialized)
        {
            Log::Error(kChannel, "Could not initialize");
            return false;
        }
        return true;
    }

    bool parsed = false;
    if (name == "SystemsConfiguration")
    {
        parsed = ParseSystemsConfiguration(child);
    }
    else if (name == "Constants")
    {
        parsed = ConstantManager::GetInstance().Parse(child);
    }
    else if (name == "Paths")
    {
        parsed = PathWrapper::GetInstance().Parse(child);
    }
    else if (ISystem* system = FindSystem(name); system != nullptr && name != kUnconfiguredSystem)
    {
        parsed = system->Parse(child);
    }
    else
    {
        Log::Error(kChannel, Format("Unrecognized system or element name '%s'", name.c_str()));
        return true;
    }

    if (!parsed)
    {
        Log::Error(kChannel, Format("Data could not be parsed by '%s'", name.c_str()));
    }
    return parsed;
}

bool SystemManager::ParseSystemsConfiguration(IParserData* data)
{
    MORVANE_ASSERT_NAMED(data != nullptr, "parserData", 181);
    if (data->GetName() == "SystemsConfiguration")
    {
        ReferencedFile file(*data);
        if (file.IsNamed())
        {
            IParserData* root = file.Read();
            if (root == nullptr)
            {
                Log::Error(kChannel, Format("Could not open '%s'", file.GetPath().c_str()));
                return false;
            }
            return ParseSystemsConfiguration(root);
        }
    }

    for (IParserData* child = data->GetFirstChild(); child != nullptr; child = child->GetNextSibling())
    {
        const std::string listName = child->GetName();
        std::vector<ISystem*>* list = listName == "InitOrder"      ? &initOrder
                                      : listName == "UpdateOrder"  ? &updateOrder
                                      : listName == "ReleaseOrder" ? &releaseOrder
                                                                   : nullptr;
        if (list == nullptr)
        {
            continue;
        }
        list->clear();
        for (IParserData* entry = child->GetFirstChild(); entry != nullptr; entry = entry->GetNextSibling())
        {
            const std::string systemName = entry->GetName();
            if (ISystem* system = FindSystem(systemName))
            {
                list->push_back(system);
            }
            else
            {
                Log::Warning(kChannel, Format("Unrecognized system '%s'", systemName.c_str()));
            }
        }
    }
    return !updateOrder.empty();
}

bool SystemManager::InitializeSystems()
{
    bool allInitialized = true;
    for (ISystem* system : initOrder)
    {
        const std::string className = Platform::GetTypeName(*system);
        if (system->Initialize())
        {
            Log::Info(kChannel, Format("The system '%s' initialized successfuly", className.c_str()));
        }
        else
        {
            Log::Error(kChannel,
                       Format("The system '%s' could not initialize successfuly", className.c_str()));
            allInitialized = false;
        }
    }
    return allInitialized;
}

void SystemManager::Run()
{
    const Platform::InterruptPollingScope polling;
    quit = false;
    do
    {
        if (frameTime == 0.0f)
        {
            frameTime = std::numeric_limits<float>::min();
        }
        dt = frameTime > kMaxStep ? kMaxStep : frameTime;
        if (m_driver != nullptr)
        {
            m_driver->BeforeFrame();
            dt = m_driver->GetStep();
        }

        const std::uint32_t start = m_clock();
        for (ISystem* system : updateOrder)
        {
            if (m_driver != nullptr)
            {
                m_driver->BeforeUpdate(*system);
            }
            system->Update(dt);
        }
        const std::uint32_t elapsed = m_clock() - start;
        frameTime = static_cast<float>(elapsed) * 0.001f;
        if (m_driver != nullptr)
        {
            // A driven run measures its frames in steps, so that nothing it shows depends on the
            // machine that replays it.
            frameTime = dt;
            m_driver->AfterFrame();
        }

        if (!pendingConfiguration.empty())
        {
            SwitchConfiguration();
        }
        if (Platform::IsInterruptRequested())
        {
            quit = true;
        }
    } while (!quit);
}

void SystemManager::SwitchConfiguration()
{
    const std::string path = PathWrapper::GetInstance().Expand(pendingConfiguration);
    pendingConfiguration.clear();
    FileParser parser;
    IParserData* tree = parser.Parse(path);
    if (tree == nullptr)
    {
        return;
    }
    ReleaseByName("GameSystem");
    ReleaseByName("ResourceSystem");
    ReleaseByName("FileSystem");
    Initialize(tree);
}

void SystemManager::ReleaseByName(const std::string& name)
{
    if (ISystem* system = FindSystem(name))
    {
        system->Release();
    }
}

void SystemManager::Release()
{
    for (ISystem* system : releaseOrder)
    {
        system->Release();
        Log::Info(kChannel, Format("System '%s' released", Platform::GetTypeName(*system).c_str()));
    }
    ForgetSystems();
}

void SystemManager::ForgetSystems()
{
    initOrder.clear();
    updateOrder.clear();
    releaseOrder.clear();
    PoolRegistry::GetInstance().ReleaseAll();
}
} // namespace Morvane
