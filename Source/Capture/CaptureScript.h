#pragma once

#include <SDL_gamecontroller.h>
#include <SDL_scancode.h>
#include <cstdint>
#include <filesystem>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace Morvane
{
class IParserData;
}

namespace Morvane::Capture
{
struct KeyAction
{
    SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN;
    bool down = true;
};

// The cursor moves by (dx, dy); with x and y it goes to that client point instead, and with `object` to
// the middle of that object as "Camera_GUI" shows it. The movement reported is (dx, dy) when given, else
// the difference from where it was.
struct MouseMotionAction
{
    std::optional<int> dx;
    std::optional<int> dy;
    std::optional<int> x;
    std::optional<int> y;
    std::string object;
};

// SDL's numbering: 1 left, 2 middle, 3 right, 4 and 5 the side buttons.
struct MouseButtonAction
{
    std::uint8_t button = 1;
    bool down = true;
};

struct PadButtonAction
{
    SDL_GameControllerButton button = SDL_CONTROLLER_BUTTON_A;
    bool down = true;
};

// -1 to 1 as SDL reports sticks (y grows downward), 0 to 1 for the triggers.
struct PadAxisAction
{
    SDL_GameControllerAxis axis = SDL_CONTROLLER_AXIS_LEFTX;
    float value = 0.0f;
};

struct ScreenshotAction
{
    std::filesystem::path path;
};

struct DumpAction
{
    std::filesystem::path path;
};

// Copies a file over another before the frame's updates: a script rewrites a watched file so, then
// presses F9.
struct CopyFileAction
{
    std::filesystem::path from;
    std::filesystem::path to;
};

using Action = std::variant<KeyAction, MouseMotionAction, MouseButtonAction, PadButtonAction, PadAxisAction,
                            ScreenshotAction, DumpAction, CopyFileAction>;

// Steps of the steering program, run one after another; each lasts until its condition holds.
// Key down on the step's first frame, up on the next (also <Jump>, Space).
struct PressStep
{
    SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN;
};

struct HoldStep
{
    SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN;
    double seconds = 0.0;
};

struct WaitStep
{
    double seconds = 0.0;
};

// A log line containing `text`, literally, since the step began.
struct WaitLogStep
{
    std::string text;
};

// Turns the view of `camera` by mouse motion to a heading in degrees (0 along -z, 90 along +x), given
// or toward a point on the floor (x, z) from the player; the pitch (positive up) only when given.
struct FaceStep
{
    std::optional<double> yaw;
    std::optional<glm::vec2> toward;
    std::optional<double> pitch;
    std::string camera;
};

// Walks the player to a point on the floor (x, z) with the pad's left stick, relative to the view of
// `camera`; `jump` presses pad A on the first frame, `slowly` holds Left Shift on the way.
struct WalkStep
{
    glm::vec2 to{0.0f};
    double within = 0.5;
    bool jump = false;
    bool slowly = false;
    std::string camera;
};

// Waits until an object named `object` (or `object_NNN`) is within `within` of `to`: in space, or on
// the floor when `to` has no height (y NaN). Moving platforms are met so.
struct WaitNearStep
{
    std::string object;
    glm::vec3 to{0.0f};
    double within = 0.5;
};

using StepAction = std::variant<PressStep, HoldStep, WaitStep, WaitLogStep, FaceStep, WalkStep, WaitNearStep,
                                ScreenshotAction, DumpAction>;

struct Step
{
    // The element's name, for messages.
    std::string element;
    StepAction action;
    // Seconds the step may take before it fails the run; none for steps that always end.
    std::optional<double> timeout;
};

// Fails the run unless a log line containing `text` was written by the end of frame `by`.
struct LogExpectation
{
    std::string text;
    int by = 0;
};

// A capture file: which configuration to run, for how many fixed steps, and what the player does and
// what is recorded on which frame. Reading it needs no window: everything is checked before a run
// starts, so that a broken file never costs a start-up. Relative paths lead from the file's folder.
class CaptureScript
{
public:
    enum class Drawing
    {
        EveryFrame,
        ScreenshotFramesOnly,
    };

    static constexpr float kDefaultStep = 0.016f;

    // Reads and checks the file; false (logged under "Capture") when it cannot be run.
    bool Load(const std::filesystem::path& path);
    // Reads and checks a "Capture" element; relative paths lead from `folder`.
    bool Parse(const IParserData& root, const std::filesystem::path& folder);

    // Empty when the file names none.
    const std::filesystem::path& GetConfiguration() const { return m_configuration; }
    const std::filesystem::path& GetAnalytics() const { return m_analytics; }
    const std::filesystem::path& GetOptions() const { return m_options; }
    float GetStep() const { return m_step; }
    int GetFrameCount() const { return m_frameCount; }
    // Whether the game is to quit by itself (its menu's "Exit") before the frames run out.
    bool Quits() const { return m_quits; }
    unsigned GetSeed() const { return m_seed; }
    Drawing GetDrawing() const { return m_drawing; }
    // The window's client size for the run; none keeps the game's own.
    std::optional<int> GetWidth() const { return m_width; }
    std::optional<int> GetHeight() const { return m_height; }

    // What happens on `frame`, in file order; empty for a frame the file does not name.
    const std::vector<Action>& GetActions(int frame) const;
    bool TakesScreenshot(int frame) const;
    // Every screenshot the file names, in frames and steps.
    std::size_t GetScreenshotCount() const;
    // Frames that have actions, in order.
    const std::map<int, std::vector<Action>>& GetFrames() const { return m_frames; }

    // The steering program, run from frame GetStepsStart() on; empty when the file has none.
    const std::vector<Step>& GetSteps() const { return m_steps; }
    int GetStepsStart() const { return m_stepsStart; }
    const std::vector<LogExpectation>& GetLogExpectations() const { return m_logExpectations; }
    // Every log text a step waits for or an expectation names.
    std::vector<std::string> GetWatchedLogTexts() const;
    // Where the player's position is written each frame; empty for none.
    const std::filesystem::path& GetTrace() const { return m_trace; }

private:
    bool ParseAttributes(const IParserData& root, const std::filesystem::path& folder);
    bool ParseFrame(const IParserData& frame, const std::filesystem::path& folder);
    std::optional<int> ReadFrameNumber(const IParserData& frame) const;
    bool ParseSteps(const IParserData& steps, const std::filesystem::path& folder);
    bool ParseLogExpectation(const IParserData& element);

    std::filesystem::path m_configuration;
    std::filesystem::path m_analytics;
    std::filesystem::path m_options;
    float m_step = kDefaultStep;
    int m_frameCount = 0;
    bool m_quits = false;
    unsigned m_seed = 1;
    Drawing m_drawing = Drawing::EveryFrame;
    std::optional<int> m_width;
    std::optional<int> m_height;
    std::map<int, std::vector<Action>> m_frames;
    std::filesystem::path m_trace;
    std::vector<Step> m_steps;
    int m_stepsStart = 0;
    bool m_hasSteps = false;
    std::vector<LogExpectation> m_logExpectations;
};
} // namespace Morvane::Capture
