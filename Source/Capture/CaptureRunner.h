#pragma once

#include "Capture/CaptureScript.h"
#include "Capture/LogWatch.h"
#include "Capture/PlayerTrace.h"
#include "Capture/StepRunner.h"
#include "Capture/VirtualPad.h"
#include "Capture/WorldProbe.h"
#include "Platform/SdlSubsystem.h"
#include "SystemManager/FrameDriver.h"

#include <atomic>
#include <cstddef>
#include <optional>
#include <vector>

union SDL_Event;

namespace Morvane::Texture
{
struct RgbImage;
}

namespace Morvane::Capture
{
// Plays a capture script through the real game: built before the systems start, it fixes the step,
// seeds the random generator, sizes the window, plugs in the scripted pad, starts watching the log, and
// from the first frame on keeps real input and focus changes away, copies the script's files and pushes
// its events and its steps' before the window pumps them, counts the window as focused, waits for the load
// thread, takes the screenshots and dumps, traces the player, and ends the frame loop after the last frame or
// a failed step. Undone when it is destroyed, after the systems are released.
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

    // 0 when every frame ran, every step finished, every expected log line came and every screenshot,
    // dump and trace was written; 1 otherwise (logged).
    int Finish();

private:
    static int FilterEvent(void* runner, SDL_Event* event);

    void Perform(const Action& action);
    void CopyFile(const CopyFileAction& copy);
    void Push(SDL_Event& event);
    void TakeScreenshots();
    void WriteScreenshot(const Action& action, const Texture::RgbImage& image);
    bool TakesScreenshot() const;
    // The script's actions of this frame, then its step's.
    template <class Visit> void ForEachAction(const Visit& visit) const;
    // Fails the run for each expected log line due by `frame` that did not come.
    void CheckLogExpectations(int frame);

    const CaptureScript& m_script;
    LogWatch m_log;
    GameWorld m_world;
    StepRunner m_steps;
    std::vector<Action> m_stepActions;
    std::optional<PlayerTrace> m_trace;
    std::vector<LogExpectation> m_pendingExpectations;
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
