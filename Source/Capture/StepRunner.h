#pragma once

#include "Capture/CaptureScript.h"

#include <cstddef>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <optional>
#include <string>
#include <vector>

namespace Morvane::Capture
{
// What the steps read of the game they steer.
class StepWorld
{
public:
    virtual ~StepWorld() = default;

    virtual std::optional<glm::vec3> PlayerPosition() const = 0;
    // Where the camera looks (target - position); none without that camera.
    virtual std::optional<glm::vec3> ViewDirection(const std::string& camera) const = 0;
    // Where the objects named `name` or `name_NNN` that have a transform are, in creation order.
    virtual std::vector<glm::vec3> ObjectPositions(const std::string& name) const = 0;
    // Lines containing `text` logged since the run began, start-up included.
    virtual std::size_t LogCount(const std::string& text) const = 0;

protected:
    StepWorld() = default;
    StepWorld(const StepWorld&) = default;
    StepWorld& operator=(const StepWorld&) = default;
};

// What a running step remembers from frame to frame.
struct StepProgress
{
    // The frame the step began on.
    int begun = 0;
    // A log wait's count when it began.
    std::size_t logsBefore = 0;
    // A face's frames on target so far and its last heading and pitch, in radians.
    int settledFrames = 0;
    std::optional<glm::vec2> lastView;
};

// Runs a script's steps one after another from its steps' first frame: each step gives the input of
// its frames until its condition holds, and the next one begins on the following frame. A step past
// its timeout fails the run (logged), and nothing more is run.
class StepRunner
{
public:
    // Both must outlive the runner.
    StepRunner(const CaptureScript& script, const StepWorld& world);

    // The input and records of `frame`, in order; called once per frame, before its updates, with
    // the game as the frame before left it.
    std::vector<Action> Advance(int frame);

    bool HasFailed() const { return m_failed; }
    bool IsDone() const { return m_next >= m_steps.size(); }
    // "Step 3 <Walk>": the step running now (counted from 1), for messages.
    std::string DescribeCurrent() const;

private:
    const std::vector<Step>& m_steps;
    const int m_start;
    const double m_step;
    const StepWorld& m_world;
    std::size_t m_next = 0;
    std::optional<StepProgress> m_progress;
    bool m_failed = false;
};
} // namespace Morvane::Capture
