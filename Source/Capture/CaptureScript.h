#pragma once

#include <SDL_gamecontroller.h>
#include <SDL_scancode.h>
#include <cstdint>
#include <filesystem>
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

// The cursor moves by (dx, dy); with x and y it goes to that client point instead, and the movement
// reported is (dx, dy) when given, else the difference from where it was.
struct MouseMotionAction
{
    std::optional<int> dx;
    std::optional<int> dy;
    std::optional<int> x;
    std::optional<int> y;
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

using Action = std::variant<KeyAction, MouseMotionAction, MouseButtonAction, PadButtonAction, PadAxisAction,
                            ScreenshotAction, DumpAction>;

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
    unsigned GetSeed() const { return m_seed; }
    Drawing GetDrawing() const { return m_drawing; }
    // The window's client size for the run; none keeps the game's own.
    std::optional<int> GetWidth() const { return m_width; }
    std::optional<int> GetHeight() const { return m_height; }

    // What happens on `frame`, in file order; empty for a frame the file does not name.
    const std::vector<Action>& GetActions(int frame) const;
    bool TakesScreenshot(int frame) const;
    std::size_t GetScreenshotCount() const;
    // Frames that have actions, in order.
    const std::map<int, std::vector<Action>>& GetFrames() const { return m_frames; }

private:
    bool ParseAttributes(const IParserData& root, const std::filesystem::path& folder);
    bool ParseFrame(const IParserData& frame, const std::filesystem::path& folder);
    std::optional<int> ReadFrameNumber(const IParserData& frame) const;

    std::filesystem::path m_configuration;
    std::filesystem::path m_analytics;
    std::filesystem::path m_options;
    float m_step = kDefaultStep;
    int m_frameCount = 0;
    unsigned m_seed = 1;
    Drawing m_drawing = Drawing::EveryFrame;
    std::optional<int> m_width;
    std::optional<int> m_height;
    std::map<int, std::vector<Action>> m_frames;
};
} // namespace Morvane::Capture
