#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace Morvane::Input
{
// Where each key stands this frame, one entry per virtual-key code 0 to 254.
enum class KeyState : std::uint8_t
{
    Idle = 0,      // up, and up last frame
    Triggered = 1, // went down this frame
    Held = 2,      // down for more than one frame
    Released = 3,  // went up this frame
};

// Moves every key through idle, triggered, held and released, one step per sample.
class KeyStates
{
public:
    static constexpr std::size_t kCount = 255;
    using IsDown = std::function<bool(unsigned keyCode)>;

    void Sample(const IsDown& isDown);
    void Clear();

    KeyState Get(unsigned keyCode) const { return m_states[keyCode]; }
    std::size_t size() const { return m_states.size(); }

    static KeyState Next(KeyState current, bool down);

private:
    std::array<KeyState, kCount> m_states{};
};
} // namespace Morvane::Input
