#include "Window/WindowSystem.h"

#include "Parsing/FileParser/FileParser.h"
#include "Support/LogCapture.h"
#include "Support/SdlEvents.h"
#include "Support/TempDirectory.h"
#include "SystemManager/SystemManager.h"

#include <SDL.h>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Morvane
{
namespace
{
using Testing::PushWindowEvent;

class WindowSystemTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Testing::PrepareVideoForTests();
        ASSERT_TRUE(system.Initialize());
        SystemManager::GetInstance().quit = false;
        m_scripted.emplace();
    }

    void TearDown() override
    {
        m_scripted.reset();
        system.SetResizeHandler({});
        system.Release();
    }

    Window::System& system = Window::System::GetInstance();

private:
    std::optional<Testing::ScriptedInputOnly> m_scripted;
};

TEST_F(WindowSystemTest, OpensAShownOpenGLWindowOf1280By800)
{
    ASSERT_NE(system.window, nullptr);
    const Uint32 flags = SDL_GetWindowFlags(system.window);
    EXPECT_NE(flags & SDL_WINDOW_OPENGL, 0u);
    EXPECT_NE(flags & SDL_WINDOW_SHOWN, 0u);
    EXPECT_EQ(system.clientRect.Width(), 1280);
    EXPECT_EQ(system.clientRect.Height(), 800);
    EXPECT_EQ(system.clientRect.left, 0);
    EXPECT_EQ(system.clientRect.top, 0);
    EXPECT_FALSE(system.fullScreen);

    // The renderer creates its context on this window later; it must get a 4.x core profile with depth.
    SDL_GLContext context = SDL_GL_CreateContext(system.window);
    ASSERT_NE(context, nullptr) << SDL_GetError();
    int major = 0, minor = 0, profile = 0, depth = 0, doubleBuffer = 0;
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, &major);
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, &minor);
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, &profile);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
    SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffer);
    SDL_GL_DeleteContext(context);
    std::cout << "Driver '" << SDL_GetCurrentVideoDriver() << "' gave OpenGL " << major << "." << minor
              << " profile " << profile << ", depth " << depth << ", double buffer " << doubleBuffer << "\n";
    EXPECT_EQ(major, 4);
    EXPECT_EQ(profile, SDL_GL_CONTEXT_PROFILE_CORE);
    EXPECT_GE(depth, 24);
}

TEST_F(WindowSystemTest, SecondInitializeKeepsTheWindowAndReleaseDestroysIt)
{
    SDL_Window* const first = system.window;
    ASSERT_TRUE(system.Initialize());
    EXPECT_EQ(system.window, first);

    system.Release();
    EXPECT_EQ(system.window, nullptr);
    EXPECT_FALSE(system.active);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    system.Release(); // twice is harmless

    ASSERT_TRUE(system.Initialize());
    ASSERT_NE(system.window, nullptr);
    EXPECT_EQ(system.clientRect.Width(), 1280);
}

TEST_F(WindowSystemTest, FocusEventsMakeTheWindowActiveOrNot)
{
    PushWindowEvent(system.window, SDL_WINDOWEVENT_FOCUS_GAINED);
    system.Update(0.016f);
    EXPECT_TRUE(system.active);
    PushWindowEvent(system.window, SDL_WINDOWEVENT_FOCUS_LOST);
    system.Update(0.016f);
    EXPECT_FALSE(system.active);
}

TEST_F(WindowSystemTest, ClosingTheWindowSetsQuit)
{
    PushWindowEvent(system.window, SDL_WINDOWEVENT_CLOSE);
    system.Update(0.016f);
    EXPECT_TRUE(SystemManager::GetInstance().quit);
}

TEST_F(WindowSystemTest, TheApplicationQuitEventSetsQuit)
{
    Testing::PushQuit();
    system.Update(0.016f);
    EXPECT_TRUE(SystemManager::GetInstance().quit);
}

TEST_F(WindowSystemTest, EventsOfAnotherWindowAreNotTaken)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(system.window) + 1000;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&event);
    system.Update(0.016f);
    EXPECT_FALSE(SystemManager::GetInstance().quit);
}

TEST_F(WindowSystemTest, ResizesAreToldToTheRenderer)
{
    std::vector<std::pair<int, int>> sizes;
    system.SetResizeHandler([&sizes](int width, int height) { sizes.emplace_back(width, height); });
    PushWindowEvent(system.window, SDL_WINDOWEVENT_SIZE_CHANGED, 1000, 700);
    system.Update(0.016f);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.front(), std::make_pair(1000, 700));
}

TEST_F(WindowSystemTest, FullScreenOnThenOffLeaves1280By800AndTellsTheRendererBothSizes)
{
    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(SDL_GetWindowDisplayIndex(system.window), &desktop), 0);
    std::vector<std::pair<int, int>> sizes;
    system.SetResizeHandler([&sizes](int width, int height) { sizes.emplace_back(width, height); });

    system.SetFullScreen(true);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0], std::make_pair(desktop.w, desktop.h));
    EXPECT_TRUE(system.fullScreen);
    EXPECT_EQ(system.clientRect.Width(), desktop.w);
    EXPECT_EQ(system.clientRect.Height(), desktop.h);
    system.Update(0.016f);

    sizes.clear();
    system.SetFullScreen(false);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes[0], std::make_pair(1280, 800));
    for (int frame = 0; frame < 5; ++frame)
    {
        system.Update(0.016f);
        SDL_Delay(5);
    }
    EXPECT_FALSE(system.fullScreen);
    EXPECT_EQ(system.clientRect.Width(), 1280);
    EXPECT_EQ(system.clientRect.Height(), 800);
    EXPECT_EQ(sizes.back(), std::make_pair(1280, 800));
}

TEST_F(WindowSystemTest, CursorIsHiddenOverTheClientAreaOnly)
{
    PushWindowEvent(system.window, SDL_WINDOWEVENT_ENTER);
    system.Update(0.016f);
    EXPECT_TRUE(system.IsCursorHidden());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);

    PushWindowEvent(system.window, SDL_WINDOWEVENT_LEAVE);
    system.Update(0.016f);
    EXPECT_FALSE(system.IsCursorHidden());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);

    PushWindowEvent(system.window, SDL_WINDOWEVENT_ENTER);
    system.Update(0.016f);
    system.Release();
    EXPECT_FALSE(system.IsCursorHidden());
}

TEST_F(WindowSystemTest, ListenersHearEveryPumpedEventUntilRemoved)
{
    std::vector<Uint32> heard;
    const auto id =
        system.AddEventListener([&heard](const SDL_Event& event) { heard.push_back(event.type); });
    Testing::PushKey(SDL_SCANCODE_A, true);
    Testing::PushKey(SDL_SCANCODE_A, false);
    system.Update(0.016f);
    EXPECT_EQ(heard, (std::vector<Uint32>{SDL_KEYDOWN, SDL_KEYUP}));

    system.RemoveEventListener(id);
    Testing::PushKey(SDL_SCANCODE_B, true);
    system.Update(0.016f);
    EXPECT_EQ(heard.size(), 2u);
}

// Stands in for the systems after the window in the update order; counts the frames it sees.
class FrameProbe : public ISystem
{
public:
    static FrameProbe& GetInstance()
    {
        static FrameProbe instance;
        return instance;
    }
    bool Initialize() override { return true; }
    void Update(const float&) override
    {
        ++frames;
        if (frames == closeOnFrame)
        {
            PushWindowEvent(Window::System::GetInstance().window, SDL_WINDOWEVENT_CLOSE);
        }
    }
    void Release() override {}
    bool Parse(IParserData*) override { return true; }

    int frames = 0;
    int closeOnFrame = 0;
};

TEST_F(WindowSystemTest, ClosingEndsTheFrameLoopAfterTheFrameThatTookIt)
{
    SystemManager& manager = SystemManager::GetInstance();
    FrameProbe& probe = FrameProbe::GetInstance();
    probe.closeOnFrame = 3;
    manager.updateOrder = {&system, &probe};
    manager.Run();
    // Closed during frame 3, after the window's update: frame 4 takes it, and still runs to its end.
    EXPECT_TRUE(manager.quit);
    EXPECT_EQ(probe.frames, 4);
    manager.updateOrder.clear();
}

TEST(WindowSystemSignals, SdlLeavesTheInterruptSignalsToTheEngine)
{
    Testing::PrepareVideoForTests();
    Window::System& system = Window::System::GetInstance();
    ASSERT_TRUE(system.Initialize());
    struct sigaction action
    {
    };
    sigaction(SIGTERM, nullptr, &action);
    EXPECT_EQ(action.sa_handler, SIG_DFL);
    sigaction(SIGINT, nullptr, &action);
    EXPECT_EQ(action.sa_handler, SIG_DFL);
    system.Release();
}

// Sets or removes environment variables for one test and puts them back afterwards.
class ScopedEnvironment
{
public:
    void Set(const char* name, const char* value)
    {
        const char* old = std::getenv(name);
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value)
        {
            setenv(name, value, 1);
        }
        else
        {
            unsetenv(name);
        }
    }
    ~ScopedEnvironment()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it)
        {
            if (it->second)
            {
                setenv(it->first.c_str(), it->second->c_str(), 1);
            }
            else
            {
                unsetenv(it->first.c_str());
            }
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

TEST(WindowSystemFailure, NoDisplayAtAllFailsWithWindowCreationError)
{
    ScopedEnvironment environment;
    environment.Set("DISPLAY", nullptr);
    environment.Set("WAYLAND_DISPLAY", nullptr);
    environment.Set("SDL_VIDEODRIVER", nullptr);
    Window::System& system = Window::System::GetInstance();

    Testing::LogCapture log;
    EXPECT_FALSE(system.Initialize());
    EXPECT_TRUE(log.Contains("Window Creation Error"));
    EXPECT_EQ(system.window, nullptr);
    system.Update(0.016f); // no window: nothing to pump for, nothing to crash on
    system.Release();
}

TEST(WindowSystemFailure, AnUnknownVideoDriverFailsWithWindowCreationError)
{
    ScopedEnvironment environment;
    environment.Set("SDL_VIDEODRIVER", "no-such-driver");
    Testing::LogCapture log;
    EXPECT_FALSE(Window::System::GetInstance().Initialize());
    EXPECT_TRUE(log.Contains("Window Creation Error"));
}

TEST(WindowSystemFailure, StartUpWithoutADisplayFailsCleanly)
{
    ScopedEnvironment environment;
    environment.Set("DISPLAY", nullptr);
    environment.Set("WAYLAND_DISPLAY", nullptr);
    environment.Set("SDL_VIDEODRIVER", nullptr);
    Testing::TempDirectory folder;
    const std::string path =
        folder.Write("Project.xml", "<ProjectConfiguration><SystemsConfiguration>"
                                    "<InitOrder><Window/><InputSystem/></InitOrder>"
                                    "<UpdateOrder><Window/><InputSystem/></UpdateOrder>"
                                    "<ReleaseOrder><InputSystem/><Window/></ReleaseOrder>"
                                    "</SystemsConfiguration><Initialize/>"
                                    "</ProjectConfiguration>");
    SystemManager& manager = SystemManager::GetInstance();
    Testing::LogCapture log;
    {
        // The tree lives in the pools, which releasing the manager empties.
        FileParser parser;
        EXPECT_FALSE(manager.Initialize(parser.Parse(path)));
    }
    manager.Release();
    EXPECT_TRUE(log.Contains("Window Creation Error"));
    EXPECT_TRUE(log.Contains("Could not initialize"));
}
} // namespace
} // namespace Morvane
