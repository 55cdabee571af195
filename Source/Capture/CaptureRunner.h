#pragma once

#include "Capture/CaptureScript.h"
#include "Capture/VirtualPad.h"
#include "Platform/SdlSubsystem.h"
#include "SystemManager/FrameDriver.h"

#include <atomic>
#include <cstddef>
#include <optional>

union SDL_Event;

namespace Morvane::Capture
{
// Plays a capture script through the real game: built before the systems start, it fixes the step,
// seeds the random generator, sizes the window, plugs in the scripted pad, and from the first frame on
// keeps real input and focus changes away, pushes the script's events before the window pumps them,
// counts the window as focused, waits for the load thread, takes the screenshots and dumps, and ends
// the frame loop after the last frame. Undone when it is destroyed, after the systems are released.
class CaptureRunner : public FrameDriver
{
public:
    explicit CaptureRunner(const CaptureScript& script);
    ~CaptureRunner() override;
    CaptureRunner(const CaptureRunner&) = delete;
    CaptureRunner& operator=(const CaptureRunner&) = delete;

    float GetStep() const override { return m_script.GetStep(); }
    void BeforeFrame() override;
    void BeforeUpdate(ISystem& system) override;
    void AfterFrame() override;

    // 0 when every frame ran and every screenshot and dump was written, 1 otherwise (logged).
    int Finish() const;

private:
    static int FilterEvent(void* runner, SDL_Event* event);

    void Perform(const Action& action);
    void Push(SDL_Event& event);
    void TakeScreenshots();

    const CaptureScript& m_script;
    std::optional<Platform::SdlSubsystem> m_joysticks;
    std::optional<VirtualPad> m_pad;
    // Set while the runner pushes an event: SDL runs the filter inside SDL_PushEvent.
    std::atomic<bool> m_pushing = false;
    bool m_filtering = false;
    int m_frame = 0;
    int m_cursorX = 0;
    int m_cursorY = 0;
    std::uint32_t m_mouseButtons = 0;
    std::size_t m_screenshotsWritten = 0;
    std::size_t m_failures = 0;
};
} // namespace Morvane::Capture
