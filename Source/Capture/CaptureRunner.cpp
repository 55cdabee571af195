#include "Capture/CaptureRunner.h"

#include "Behavior/GameRandom/GameRandom.h"
#include "Capture/WorldDump.h"
#include "Capture/WorldProbe.h"
#include "Graphics/BackBuffer.h"
#include "Graphics/GraphicsSystem.h"
#include "Platform/Interrupt.h"
#include "Resources/ResourceSystem.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "SystemManager/SystemManager.h"
#include "Texture/ImageComparison.h"
#include "Window/WindowSystem.h"

#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace Morvane::Capture
{
namespace
{
const char* const kChannel = "Capture";

// What a player, the window manager or a real pad sends: window, keyboard, text, mouse, joystick, game
// controller, touch and gesture events, which SDL numbers in one run. None of it may steer a scripted run.
bool IsOutsideInput(Uint32 type)
{
    return type == SDL_WINDOWEVENT || (type >= SDL_KEYDOWN && type < SDL_CLIPBOARDUPDATE);
}

SDL_Event MakeEvent(Uint32 type)
{
    SDL_Event event{};
    event.type = type;
    return event;
}

Uint32 WindowId()
{
    SDL_Window* window = Window::System::GetInstance().window;
    return window == nullptr ? 0 : SDL_GetWindowID(window);
}
} // namespace

CaptureRunner::CaptureRunner(const CaptureScript& script)
    : m_script(script), m_log(script.GetWatchedLogTexts()), m_world(m_log), m_steps(script, m_world),
      m_pendingExpectations(script.GetLogExpectations())
{
    if (!script.GetTrace().empty())
    {
        m_trace.emplace(script.GetTrace());
    }
    GameRandom::SetSeed(script.GetSeed());
    if (script.GetWidth() && script.GetHeight())
    {
        Window::System::GetInstance().width = *script.GetWidth();
        Window::System::GetInstance().height = *script.GetHeight();
    }
    // Only the harness's own pad exists for SDL, so it is the first pad and a real one cannot interfere.
    SDL_SetHint(SDL_HINT_GAMECONTROLLER_IGNORE_DEVICES_EXCEPT,
                Format("0x%04x/0x%04x", VirtualPad::kVendor, VirtualPad::kProduct).c_str());
    m_joysticks.emplace(SDL_INIT_JOYSTICK);
    if (m_joysticks->IsReady())
    {
        m_pad.emplace();
    }
    if (!m_pad || !m_pad->IsAttached())
    {
        Log::Warning(kChannel, Format("No scripted game pad: %s", SDL_GetError()));
    }

    SystemManager::GetInstance().SetFrameDriver(this);
    Graphics::System::GetInstance().SetFrameHook([this] { TakeScreenshots(); });
}

CaptureRunner::~CaptureRunner()
{
    if (m_filtering)
    {
        SDL_SetEventFilter(nullptr, nullptr);
    }
    Graphics::System::GetInstance().SetFrameHook({});
    Graphics::System::GetInstance().SetDrawing(true);
    SystemManager::GetInstance().SetFrameDriver(nullptr);
    m_pad.reset();
}

int CaptureRunner::FilterEvent(void* runner, SDL_Event* event)
{
    return static_cast<CaptureRunner*>(runner)->m_pushing || !IsOutsideInput(event->type);
}

template <class Visit> void CaptureRunner::ForEachAction(const Visit& visit) const
{
    for (const Action& action : m_script.GetActions(m_frame))
    {
        visit(action);
    }
    for (const Action& action : m_stepActions)
    {
        visit(action);
    }
}

bool CaptureRunner::TakesScreenshot() const
{
    bool takes = false;
    ForEachAction([&takes](const Action& action)
                  { takes = takes || std::holds_alternative<ScreenshotAction>(action); });
    return takes;
}

void CaptureRunner::BeforeFrame()
{
    if (!m_filtering)
    {
        // Installing the filter also drops what start-up left in the queue.
        SDL_SetEventFilter(&CaptureRunner::FilterEvent, this);
        m_filtering = true;
        // The window was made at the script's size before the cameras were read: tell them as a resize
        // would.
        if (m_script.GetWidth() && m_script.GetHeight())
        {
            Graphics::System::GetInstance().OnResize(*m_script.GetWidth(), *m_script.GetHeight());
        }
    }
    Window::System::GetInstance().active = true;
    m_stepActions = m_steps.Advance(m_frame);
    if (m_script.GetDrawing() == CaptureScript::Drawing::ScreenshotFramesOnly)
    {
        Graphics::System::GetInstance().SetDrawing(TakesScreenshot());
    }
    ForEachAction([this](const Action& action) { Perform(action); });
}

void CaptureRunner::CheckLogExpectations(int frame)
{
    // The clang of the fuzz build cannot use this library's ranges: the iterator form.
    const auto due =
        std::stable_partition(m_pendingExpectations.begin(), m_pendingExpectations.end(),
                              [frame](const LogExpectation& expectation) { return expectation.by > frame; });
    for (auto expectation = due; expectation != m_pendingExpectations.end(); ++expectation)
    {
        if (m_log.Count(expectation->text) == 0)
        {
            Log::Error(kChannel, Format("No log line with '%s' by frame %d", expectation->text.c_str(),
                                        expectation->by));
            ++m_failures;
        }
    }
    m_pendingExpectations.erase(due, m_pendingExpectations.end());
}

void CaptureRunner::BeforeUpdate(ISystem& system)
{
    // What the load thread was given must be finished in this frame, however fast the machine is.
    const Resources::System& resources = Resources::System::GetInstance();
    if (&system != &resources)
    {
        return;
    }
    while (resources.GetLoadingCount() > 0 && !Platform::IsInterruptRequested())
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void CaptureRunner::AfterFrame()
{
    ForEachAction(
        [this](const Action& action)
        {
            if (const auto* dump = std::get_if<DumpAction>(&action);
                dump != nullptr && !WriteWorldDump(dump->path))
            {
                ++m_failures;
            }
        });
    if (m_trace)
    {
        m_trace->Write(m_frame, FindPlayerPosition());
    }
    CheckLogExpectations(m_frame);
    ++m_frame;
    // After a failed step the rest of the script has nothing to stand on.
    if (m_frame >= m_script.GetFrameCount() || m_steps.HasFailed())
    {
        SystemManager::GetInstance().quit = true;
    }
}

void CaptureRunner::Push(SDL_Event& event)
{
    m_pushing = true;
    const int pushed = SDL_PushEvent(&event);
    m_pushing = false;
    if (pushed != 1)
    {
        Log::Error(kChannel, Format("Frame %d: an event could not be queued: %s", m_frame, SDL_GetError()));
        ++m_failures;
    }
}

void CaptureRunner::Perform(const Action& action)
{
    if (const auto* key = std::get_if<KeyAction>(&action))
    {
        SDL_Event event = MakeEvent(key->down ? SDL_KEYDOWN : SDL_KEYUP);
        event.key.windowID = WindowId();
        event.key.state = key->down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = key->scancode;
        event.key.keysym.sym = SDL_GetKeyFromScancode(key->scancode);
        Push(event);
    }
    else if (const auto* motion = std::get_if<MouseMotionAction>(&action))
    {
        int x = motion->x ? *motion->x : m_cursorX + motion->dx.value_or(0);
        int y = motion->y ? *motion->y : m_cursorY + motion->dy.value_or(0);
        if (!motion->object.empty())
        {
            const std::optional<glm::ivec2> point = FindGuiPoint(motion->object);
            if (!point)
            {
                Log::Error(kChannel, Format("Frame %d: no object '%s' on the GUI to move the cursor to",
                                            m_frame, motion->object.c_str()));
                ++m_failures;
                return;
            }
            x = point->x;
            y = point->y;
        }
        SDL_Event event = MakeEvent(SDL_MOUSEMOTION);
        event.motion.windowID = WindowId();
        event.motion.state = m_mouseButtons;
        event.motion.x = x;
        event.motion.y = y;
        event.motion.xrel = motion->dx.value_or(x - m_cursorX);
        event.motion.yrel = motion->dy.value_or(y - m_cursorY);
        m_cursorX = x;
        m_cursorY = y;
        Push(event);
    }
    else if (const auto* button = std::get_if<MouseButtonAction>(&action))
    {
        SDL_Event event = MakeEvent(button->down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP);
        event.button.windowID = WindowId();
        event.button.button = button->button;
        event.button.state = button->down ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = 1;
        event.button.x = m_cursorX;
        event.button.y = m_cursorY;
        if (button->down)
        {
            m_mouseButtons |= SDL_BUTTON(button->button);
        }
        else
        {
            m_mouseButtons &= ~SDL_BUTTON(button->button);
        }
        Push(event);
    }
    else if (const auto* padButton = std::get_if<PadButtonAction>(&action); padButton != nullptr && m_pad)
    {
        m_pad->SetButton(padButton->button, padButton->down);
    }
    else if (const auto* padAxis = std::get_if<PadAxisAction>(&action); padAxis != nullptr && m_pad)
    {
        m_pad->SetAxis(padAxis->axis, padAxis->value);
    }
    else if (const auto* copy = std::get_if<CopyFileAction>(&action))
    {
        CopyFile(*copy);
    }
}

void CaptureRunner::CopyFile(const CopyFileAction& copy)
{
    const std::string from = copy.from.string();
    const std::string to = copy.to.string();
    std::error_code error;
    const auto before = std::filesystem::last_write_time(copy.to, error);
    const bool existed = !error;
    std::filesystem::copy_file(copy.from, copy.to, std::filesystem::copy_options::overwrite_existing, error);
    // The file clock ticks only every few milliseconds, and frames can come faster: a rewrite must
    // always look like one to F9.
    if (!error && existed && std::filesystem::last_write_time(copy.to, error) <= before && !error)
    {
        std::filesystem::last_write_time(copy.to, before + std::chrono::milliseconds(1), error);
    }
    if (error)
    {
        Log::Error(kChannel, Format("Frame %d: could not copy '%s' to '%s': %s", m_frame, from.c_str(),
                                    to.c_str(), error.message().c_str()));
        ++m_failures;
        return;
    }
    Log::Info(kChannel, Format("Frame %d: copied '%s' to '%s'", m_frame, from.c_str(), to.c_str()));
}

void CaptureRunner::TakeScreenshots()
{
    if (!TakesScreenshot())
    {
        return;
    }
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(Window::System::GetInstance().window, &width, &height);
    const Texture::RgbImage image = Graphics::ReadBackBuffer(width, height);
    ForEachAction([this, &image](const Action& action) { WriteScreenshot(action, image); });
}

void CaptureRunner::WriteScreenshot(const Action& action, const Texture::RgbImage& image)
{
    if (const auto* screenshot = std::get_if<ScreenshotAction>(&action))
    {
        std::error_code ignored;
        std::filesystem::create_directories(screenshot->path.parent_path(), ignored);
        if (Texture::WriteRgbPng(screenshot->path.string(), image))
        {
            ++m_screenshotsWritten;
            Log::Info(kChannel,
                      Format("Frame %d: screenshot '%s'", m_frame, screenshot->path.string().c_str()));
        }
        else
        {
            Log::Error(kChannel, Format("Frame %d: could not write the screenshot '%s'", m_frame,
                                        screenshot->path.string().c_str()));
        }
    }
}

int CaptureRunner::Finish()
{
    CheckLogExpectations(m_script.GetFrameCount());
    if (m_trace && !m_trace->Close())
    {
        ++m_failures;
    }
    bool complete = m_failures == 0 && !m_steps.HasFailed();
    const bool endedEarly = m_frame < m_script.GetFrameCount();
    // A failed step was logged when it failed, and it ended the run.
    if (m_script.Quits() && !endedEarly)
    {
        Log::Error(kChannel, Format("The game did not quit within %d frames", m_script.GetFrameCount()));
        complete = false;
    }
    else if (m_script.Quits() && !m_steps.HasFailed())
    {
        Log::Info(kChannel, Format("The game quit after %d of %d frames", m_frame, m_script.GetFrameCount()));
    }
    else if (!m_steps.HasFailed() && endedEarly)
    {
        Log::Error(kChannel,
                   Format("The run ended after %d of %d frames", m_frame, m_script.GetFrameCount()));
        complete = false;
    }
    else if (!m_steps.HasFailed() && !m_steps.IsDone())
    {
        Log::Error(kChannel, Format("The capture's %d frames ran out during %s", m_script.GetFrameCount(),
                                    m_steps.DescribeCurrent().c_str()));
        complete = false;
    }
    const std::size_t expected = m_script.GetScreenshotCount();
    if (m_screenshotsWritten < expected)
    {
        Log::Error(kChannel, Format("%zu of %zu screenshots were written", m_screenshotsWritten, expected));
        complete = false;
    }
    return complete ? 0 : 1;
}
} // namespace Morvane::Capture
