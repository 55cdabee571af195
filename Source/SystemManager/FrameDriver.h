#pragma once

namespace Morvane
{
class ISystem;

// Steers the system manager's frame loop from outside: the capture harness replays a scripted run
// through it with a fixed step, its own input and its own end.
class FrameDriver
{
public:
    virtual ~FrameDriver() = default;

    // The step every frame takes instead of the measured one, exactly, without the usual cap.
    virtual float GetStep() const = 0;
    // Before the first system of the frame updates.
    virtual void BeforeFrame() = 0;
    // Before `system` updates.
    virtual void BeforeUpdate(ISystem& system) = 0;
    // After every system has updated, before a pending configuration is read; may set the quit flag.
    virtual void AfterFrame() = 0;

protected:
    FrameDriver() = default;
    FrameDriver(const FrameDriver&) = default;
    FrameDriver& operator=(const FrameDriver&) = default;
};
} // namespace Morvane
