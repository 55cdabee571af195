#include "Capture/StepRunner.h"

#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <cmath>
#include <glm/geometric.hpp>
#include <numbers>

namespace Morvane::Capture
{
namespace
{
const char* const kChannel = "Capture";

constexpr double kDegree = std::numbers::pi / 180.0;
// A face is done once the view has stayed this close, nearly still, for a few frames: passing through
// the target while the smoothed view still catches up does not count.
constexpr double kFaceTolerance = 1.5 * kDegree;
constexpr double kStillTurn = 0.25 * kDegree;
constexpr int kSettledFrames = 3;
// Mouse pixels per radian of error and second of step. The view follows the mouse through smoothing,
// so a turn keeps coming after the motion stops: this gain closes the gap without overshooting at the
// game's default mouse sensitivity, from 30 to 144 steps a second.
constexpr double kTurnGain = 2500.0;

// What a step sees on one of its frames and where it puts its input.
struct Tick
{
    int frame;
    double step;
    const StepWorld& world;
    StepProgress& progress;
    std::vector<Action>& actions;

    bool First() const { return frame == progress.begun; }
    // A thousandth of a step absorbs the decimal rounding of both numbers, as for frame times.
    bool Reached(double seconds) const { return (frame - progress.begun) * step >= seconds - 0.001 * step; }
};

bool Run(const PressStep& press, Tick& tick)
{
    tick.actions.push_back(KeyAction{press.scancode, tick.First()});
    return !tick.First();
}

bool Run(const HoldStep& hold, Tick& tick)
{
    if (tick.First())
    {
        tick.actions.push_back(KeyAction{hold.scancode, true});
        return false;
    }
    if (!tick.Reached(hold.seconds))
    {
        return false;
    }
    tick.actions.push_back(KeyAction{hold.scancode, false});
    return true;
}

bool Run(const WaitStep& wait, Tick& tick)
{
    return tick.Reached(wait.seconds);
}

bool Run(const WaitLogStep& wait, Tick& tick)
{
    const std::size_t count = tick.world.LogCount(wait.text);
    if (tick.First())
    {
        // A wait that begins on frame 0 also sees what start-up logged.
        tick.progress.logsBefore = tick.frame == 0 ? 0 : count;
    }
    return count > tick.progress.logsBefore;
}

bool Run(const WaitNearStep& wait, Tick& tick)
{
    const std::vector<glm::vec3> positions = tick.world.ObjectPositions(wait.object);
    return std::any_of(positions.begin(), positions.end(),
                       [&wait](const glm::vec3& position)
                       {
                           glm::vec3 offset = position - wait.to;
                           if (std::isnan(wait.to.y))
                           {
                               offset.y = 0.0f;
                           }
                           return glm::length(offset) < wait.within;
                       });
}

// Mouse pixels for this frame's share of `error`; none once close, at least one while not.
int TurnPixels(double error, double step)
{
    if (std::abs(error) < kFaceTolerance * 0.5)
    {
        return 0;
    }
    const auto pixels = static_cast<int>(std::lround(kTurnGain * step * error));
    return pixels != 0 ? pixels : (error > 0.0 ? 1 : -1);
}

// Heading: 0 along -z, growing toward +x. Pitch: 0 level, positive up.
glm::vec2 ViewAngles(const glm::vec3& direction)
{
    const double level = std::hypot(direction.x, direction.z);
    return glm::vec2(static_cast<float>(std::atan2(direction.x, -direction.z)),
                     static_cast<float>(std::atan2(direction.y, level)));
}

bool Run(const FaceStep& face, Tick& tick)
{
    const std::optional<glm::vec3> direction = tick.world.ViewDirection(face.camera);
    const std::optional<glm::vec3> player = tick.world.PlayerPosition();
    if (!direction || (face.toward && !player))
    {
        return false;
    }
    const glm::vec2 view = ViewAngles(*direction);
    const double yaw = face.yaw ? *face.yaw * kDegree
                                : std::atan2(face.toward->x - player->x, -(face.toward->y - player->z));
    const double yawError = std::remainder(yaw - view.x, 2.0 * std::numbers::pi);
    const double pitchError = face.pitch ? *face.pitch * kDegree - view.y : 0.0;
    const bool still =
        tick.progress.lastView &&
        std::abs(std::remainder(view.x - tick.progress.lastView->x, 2.0 * std::numbers::pi)) < kStillTurn &&
        std::abs(view.y - tick.progress.lastView->y) < kStillTurn;
    tick.progress.lastView = view;
    const bool close = std::abs(yawError) < kFaceTolerance && std::abs(pitchError) < kFaceTolerance;
    tick.progress.settledFrames = close && still ? tick.progress.settledFrames + 1 : 0;
    if (tick.progress.settledFrames >= kSettledFrames)
    {
        return true;
    }
    // The mouse's y grows downward: up is negative.
    MouseMotionAction motion;
    motion.dx = TurnPixels(yawError, tick.step);
    motion.dy = -TurnPixels(pitchError, tick.step);
    if (*motion.dx != 0 || *motion.dy != 0)
    {
        tick.actions.push_back(motion);
    }
    return false;
}

void SetStick(Tick& tick, float x, float y)
{
    tick.actions.push_back(PadAxisAction{SDL_CONTROLLER_AXIS_LEFTX, x});
    tick.actions.push_back(PadAxisAction{SDL_CONTROLLER_AXIS_LEFTY, y});
}

bool Run(const WalkStep& walk, Tick& tick)
{
    // Pad A both jumps and walks slowly, and held it jumps again at each landing: it is let go after
    // one frame, and walking slowly is Shift's.
    if (tick.First() && walk.jump)
    {
        tick.actions.push_back(PadButtonAction{SDL_CONTROLLER_BUTTON_A, true});
    }
    else if (walk.jump && tick.frame == tick.progress.begun + 1)
    {
        tick.actions.push_back(PadButtonAction{SDL_CONTROLLER_BUTTON_A, false});
    }
    if (tick.First() && walk.slowly)
    {
        tick.actions.push_back(KeyAction{SDL_SCANCODE_LSHIFT, true});
    }
    const std::optional<glm::vec3> player = tick.world.PlayerPosition();
    const std::optional<glm::vec3> direction = tick.world.ViewDirection(walk.camera);
    if (!player || !direction)
    {
        return false;
    }
    const glm::vec2 offset = walk.to - glm::vec2(player->x, player->z);
    const float distance = glm::length(offset);
    const glm::vec2 level(direction->x, direction->z);
    if (distance < walk.within)
    {
        SetStick(tick, 0.0f, 0.0f);
        if (walk.jump && tick.First())
        {
            return false;
        }
        if (walk.slowly)
        {
            tick.actions.push_back(KeyAction{SDL_SCANCODE_LSHIFT, false});
        }
        return true;
    }
    if (glm::length(level) == 0.0f)
    {
        return false;
    }
    // The controller pushes along the view's level forward by the stick's up and along its right by
    // the stick's right; SDL's stick y grows downward.
    const glm::vec2 forward = glm::normalize(level);
    const glm::vec2 right(-forward.y, forward.x);
    SetStick(tick, glm::dot(offset, right) / distance, -glm::dot(offset, forward) / distance);
    return false;
}

bool Run(const ScreenshotAction& screenshot, Tick& tick)
{
    tick.actions.push_back(screenshot);
    return true;
}

bool Run(const DumpAction& dump, Tick& tick)
{
    tick.actions.push_back(dump);
    return true;
}
} // namespace

StepRunner::StepRunner(const CaptureScript& script, const StepWorld& world)
    : m_steps(script.GetSteps()), m_start(script.GetStepsStart()), m_step(script.GetStep()), m_world(world)
{
}

std::string StepRunner::DescribeCurrent() const
{
    if (IsDone())
    {
        return "no step";
    }
    return Format("Step %zu <%s>", m_next + 1, m_steps[m_next].element.c_str());
}

std::vector<Action> StepRunner::Advance(int frame)
{
    std::vector<Action> actions;
    if (m_failed || IsDone() || frame < m_start)
    {
        return actions;
    }
    if (!m_progress)
    {
        m_progress.emplace();
        m_progress->begun = frame;
    }
    const Step& step = m_steps[m_next];
    Tick tick{frame, m_step, m_world, *m_progress, actions};
    if (std::visit([&tick](const auto& action) { return Run(action, tick); }, step.action))
    {
        Log::Info(kChannel, Format("Frame %d: %s done", frame, DescribeCurrent().c_str()));
        ++m_next;
        m_progress.reset();
    }
    else if (step.timeout && tick.Reached(*step.timeout))
    {
        Log::Error(kChannel, Format("Frame %d: %s did not finish within %g s", frame,
                                    DescribeCurrent().c_str(), *step.timeout));
        m_failed = true;
    }
    return actions;
}
} // namespace Morvane::Capture
