#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Morvane
{
class FrameDriver;
class IParserData;
class ISystem;

// Reads the project configuration, orders the engine systems, runs the frame loop and switches
// configurations between frames.
class SystemManager
{
public:
    using SystemAccessor = ISystem& (*)();
    using Clock = std::function<std::uint32_t()>;

    static constexpr float kFirstFrameTime = 0.016f;
    static constexpr float kMaxStep = 0.032f;

    static SystemManager& GetInstance();

    bool Initialize(IParserData* data);
    bool ParseSystemsConfiguration(IParserData* data);
    bool InitializeSystems();
    void Run();
    void Release();

    // Makes a system reachable by its configuration name ("GraphicsSystem", "Window", ...).
    void RegisterSystem(const std::string& name, SystemAccessor accessor);
    // The registered system of that name, or null.
    ISystem* FindSystem(const std::string& name) const;

    // The frame clock in milliseconds; replaceable so that tests can drive the time step.
    void SetClock(Clock clock);
    // Hands the frame loop's step and the moments around each update to `driver` (null: none). The
    // driver must outlive its installation.
    void SetFrameDriver(FrameDriver* driver) { m_driver = driver; }
    // Called each time a configuration's systems have been initialised (its "Initialize" element), at
    // start-up and after every switch, whether or not each system came up.
    void SetConfigurationListener(std::function<void()> listener)
    {
        m_configurationListener = std::move(listener);
    }

    std::vector<ISystem*> initOrder;
    std::vector<ISystem*> updateOrder;
    std::vector<ISystem*> releaseOrder;
    bool quit = false;
    float frameTime = kFirstFrameTime;
    float dt = kFirstFrameTime;
    std::string pendingConfiguration;

private:
    SystemManager();
    ~SystemManager();
    SystemManager(const SystemManager&) = delete;
    SystemManager& operator=(const SystemManager&) = delete;

    bool InitializeElement(IParserData* child);
    void SwitchConfiguration();
    void ReleaseByName(const std::string& name);
    // Empties the three lists and frees the object pools, without calling into the systems.
    void ForgetSystems();

    std::map<std::string, SystemAccessor> m_systems;
    Clock m_clock;
    FrameDriver* m_driver = nullptr;
    std::function<void()> m_configurationListener;
};
} // namespace Morvane
