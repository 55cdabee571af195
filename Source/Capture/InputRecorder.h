#pragma once

#include "Capture/CaptureScript.h"
#include "SystemManager/FrameDriver.h"
#include "Window/WindowSystem.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Morvane::Capture
{
// Records the player's input of a normal run as a capture script: every key the engine maps, mouse
// button, mouse motion (one per frame and between other events, summed) and pad button and axis, under
// the frame whose pump delivered it. The run steps exactly `kStep` per frame, so that replaying the
// file with --capture feeds the same input to the same frames.
class InputRecorder : public FrameDriver
{
public:
    static constexpr float kStep = CaptureScript::kDefaultStep;

    // Listens to the window's events and steers the system manager's frames from now on.
    InputRecorder();
    ~InputRecorder() override;
    InputRecorder(const InputRecorder&) = delete;
    InputRecorder& operator=(const InputRecorder&) = delete;

    float GetStep() const override { return kStep; }
    void BeforeFrame() override {}
    void BeforeUpdate(ISystem&) override {}
    void AfterFrame() override;

    void Record(const SDL_Event& event);
    // The capture script of everything recorded in the frames run so far (at least one frame).
    std::string ToText() const;
    // Writes ToText() to `path`; false (logged) when it cannot.
    bool Write(const std::filesystem::path& path) const;

private:
    void Add(Action action);
    void FlushMotion();

    std::optional<Window::System::ListenerId> m_listener;
    int m_frame = 0;
    std::optional<MouseMotionAction> m_motion;
    std::map<int, std::vector<Action>> m_frames;
};
} // namespace Morvane::Capture
