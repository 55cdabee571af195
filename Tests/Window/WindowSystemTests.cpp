#include "Parsing/FileParser/FileParser.h"
#include "Support/LogCapture.h"
#include "Support/SdlEvents.h"
#include "Support/TempDirectory.h"
#include "SystemManager/SystemManager.h"
#include "Window/WindowSystem.h"

#include <SDL.h>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <tuple>
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

    std::pair<int, int> Size() const { return {system.clientRect.Width(), system.clientRect.Height()}; }

    Window::System& system = Window::System::GetInstance();

private:
    std::optional<Testing::ScriptedInputOnly> m_scripted;
};

TEST_F(WindowSystemTest, OpensAShownOpenGLWindowOf1280By800UntilReleased)
{
    ASSERT_NE(system.window, nullptr);
    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN;
    EXPECT_EQ(SDL_GetWindowFlags(system.window) & flags, flags);
    EXPECT_EQ(Size(), std::make_pair(1280, 800));

    // The renderer creates its context on this window later; it must get a 4.x core profile with depth.
    SDL_GLContext context = SDL_GL_CreateContext(system.window);
    ASSERT_NE(context, nullptr) << SDL_GetError();
    int major = 0, profile = 0, depth = 0;
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, &major);
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, &profile);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
    SDL_GL_DeleteContext(context);
    EXPECT_EQ(std::make_tuple(major, profile), std::make_tuple(4, int{SDL_GL_CONTEXT_PROFILE_CORE}));
    EXPECT_GE(depth, 24);
    struct sigaction interrupt = {}, terminate = {};
    sigaction(SIGINT, nullptr, &interrupt);
    sigaction(SIGTERM, nullptr, &terminate);
    EXPECT_TRUE(interrupt.sa_handler == SIG_DFL && terminate.sa_handler == SIG_DFL)
        << "SDL must leave the interrupt signals to the engine";

    system.Release();
    EXPECT_EQ(system.window, nullptr);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

TEST_F(WindowSystemTest, WindowEventsSetFocusQuitCursorAndSize)
{
    PushWindowEvent(system.window, SDL_WINDOWEVENT_FOCUS_GAINED);
    system.Update(0.016f);
    EXPECT_TRUE(system.active);
    PushWindowEvent(system.window, SDL_WINDOWEVENT_FOCUS_LOST);
    SDL_Event otherWindow{};
    otherWindow.type = SDL_WINDOWEVENT;
    otherWindow.window.windowID = SDL_GetWindowID(system.window) + 1000;
    otherWindow.window.event = SDL_WINDOWEVENT_CLOSE;
    Testing::Push(otherWindow);
    system.Update(0.016f);
    EXPECT_FALSE(system.active);
    EXPECT_FALSE(SystemManager::GetInstance().quit) << "another window's close is not ours";

    PushWindowEvent(system.window, SDL_WINDOWEVENT_CLOSE);
    system.Update(0.016f);
    EXPECT_TRUE(SystemManager::GetInstance().quit);
    SystemManager::GetInstance().quit = false;
    Testing::PushQuit();
    system.Update(0.016f);
    EXPECT_TRUE(SystemManager::GetInstance().quit) << "the application's quit event";

    std::vector<std::pair<int, int>> sizes;
    system.SetResizeHandler([&sizes](int width, int height) { sizes.emplace_back(width, height); });
    SDL_Window* const window = system.window;
    PushWindowEvent(window, SDL_WINDOWEVENT_ENTER);
    PushWindowEvent(window, SDL_WINDOWEVENT_SIZE_CHANGED, 1000, 700);
    system.Update(0.016f);
    EXPECT_TRUE(system.IsCursorHidden());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{1000, 700}}));
    PushWindowEvent(window, SDL_WINDOWEVENT_LEAVE);
    system.Update(0.016f);
    EXPECT_FALSE(system.IsCursorHidden());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_TRUE(system.Initialize());
    EXPECT_EQ(system.window, window) << "a second start keeps the window";
}

TEST_F(WindowSystemTest, FullScreenOnThenOffLeaves1280By800AndTellsTheRendererBothSizes)
{
    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(SDL_GetWindowDisplayIndex(system.window), &desktop), 0);
    std::vector<std::pair<int, int>> sizes;
    system.SetResizeHandler([&sizes](int width, int height) { sizes.emplace_back(width, height); });

    system.SetFullScreen(true);
    const std::pair desktopSize(desktop.w, desktop.h);
    EXPECT_EQ(sizes, std::vector{desktopSize});
    EXPECT_TRUE(system.fullScreen);
    EXPECT_EQ(Size(), desktopSize);
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
    EXPECT_EQ(Size(), std::make_pair(1280, 800));
    EXPECT_EQ(sizes.back(), std::make_pair(1280, 800));
}

TEST(WindowSystemFailure, StartUpWithoutADisplayFailsCleanlyWithWindowCreationError)
{
    // No display and no driver to fall back on (each test runs in its own process).
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"})
    {
        unsetenv(name);
    }
    Testing::TempDirectory folder;
    const std::string path = folder.Write(
        "Project.xml",
        "<ProjectConfiguration><SystemsConfiguration><InitOrder><Window/><InputSystem/></InitOrder>"
        "<UpdateOrder><Window/><InputSystem/></UpdateOrder>"
        "<ReleaseOrder><InputSystem/><Window/></ReleaseOrder></SystemsConfiguration><Initialize/>"
        "</ProjectConfiguration>");
    SystemManager& manager = SystemManager::GetInstance();
    Testing::LogCapture log;
    {
        // The tree lives in the pools, which releasing the manager empties.
        FileParser parser;
        EXPECT_FALSE(manager.Initialize(parser.Parse(path)));
    }
    EXPECT_EQ(Window::System::GetInstance().window, nullptr);
    Window::System::GetInstance().Update(0.016f); // no window: nothing to pump, nothing to crash on
    manager.Release();
    EXPECT_TRUE(log.Contains("Window Creation Error"));
    EXPECT_TRUE(log.Contains("Could not initialize"));
}
} // namespace
} // namespace Morvane
