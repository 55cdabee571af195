#pragma once

#include <array>
#include <cstdint>

namespace Morvane::Input
{
// Game-pad button bits, numbered as XInput numbers them.
namespace GamepadButton
{
constexpr std::uint16_t kDpadUp = 0x0001;
constexpr std::uint16_t kDpadDown = 0x0002;
constexpr std::uint16_t kDpadLeft = 0x0004;
constexpr std::uint16_t kDpadRight = 0x0008;
constexpr std::uint16_t kStart = 0x0010;
constexpr std::uint16_t kBack = 0x0020;
constexpr std::uint16_t kLeftThumb = 0x0040;
constexpr std::uint16_t kRightThumb = 0x0080;
constexpr std::uint16_t kLeftShoulder = 0x0100;
constexpr std::uint16_t kRightShoulder = 0x0200;
constexpr std::uint16_t kA = 0x1000;
constexpr std::uint16_t kB = 0x2000;
constexpr std::uint16_t kX = 0x4000;
constexpr std::uint16_t kY = 0x8000;
} // namespace GamepadButton

// One reading of a pad, shaped like XInput's: sticks are signed 16-bit with y up, triggers 0 to 255.
struct GamepadState
{
    std::uint32_t packetNumber = 0; // changes whenever the inputs below change
    std::uint16_t buttons = 0;
    std::uint8_t leftTrigger = 0;
    std::uint8_t rightTrigger = 0;
    std::int16_t thumbLeftX = 0;
    std::int16_t thumbLeftY = 0;
    std::int16_t thumbRightX = 0;
    std::int16_t thumbRightY = 0;

    bool SameInputs(const GamepadState& other) const;
};

// What game code reads of one of the four pads.
struct Joystick
{
    static constexpr std::int16_t kDefaultDeadZone = 6553; // 20 % of a stick's travel

    enum Axis
    {
        LeftX,
        LeftY,
        RightX,
        RightY,
    };

    unsigned index = 0;
    bool connected = false;
    GamepadState state;
    GamepadState previousState;
    std::array<float, 4> axes{};
    std::int16_t deadZone = kDefaultDeadZone;

    // Any button of `mask` is down now and none of them was down the frame before.
    bool IsButtonTriggered(std::uint16_t mask) const;

    // Takes this frame's reading: the pad is connected and its axes follow the sticks.
    void Receive(const GamepadState& reading);
    // The pad did not answer: it keeps its last reading, marked disconnected.
    void Lose() { connected = false; }
    // Reads as a pad nobody touches.
    void ClearState();

    // A stick value with the dead zone cut out, scaled to about -1 to 1.
    static float NormalizeAxis(std::int16_t value, std::int16_t deadZone);
};
} // namespace Morvane::Input
