#include "Platform/KeyCodes.h"

#include <SDL_mouse.h>
#include <array>

namespace Morvane::Platform
{
namespace
{
struct KeyEntry
{
    SDL_Scancode scancode;
    unsigned virtualKey;
};

using namespace VirtualKey;

// One line per physical key the game has a code for.
constexpr KeyEntry kKeys[] = {
    {SDL_SCANCODE_A, kA},
    {SDL_SCANCODE_B, kA + 1},
    {SDL_SCANCODE_C, kA + 2},
    {SDL_SCANCODE_D, kA + 3},
    {SDL_SCANCODE_E, kA + 4},
    {SDL_SCANCODE_F, kA + 5},
    {SDL_SCANCODE_G, kA + 6},
    {SDL_SCANCODE_H, kA + 7},
    {SDL_SCANCODE_I, kA + 8},
    {SDL_SCANCODE_J, kA + 9},
    {SDL_SCANCODE_K, kA + 10},
    {SDL_SCANCODE_L, kA + 11},
    {SDL_SCANCODE_M, kA + 12},
    {SDL_SCANCODE_N, kA + 13},
    {SDL_SCANCODE_O, kA + 14},
    {SDL_SCANCODE_P, kA + 15},
    {SDL_SCANCODE_Q, kA + 16},
    {SDL_SCANCODE_R, kA + 17},
    {SDL_SCANCODE_S, kA + 18},
    {SDL_SCANCODE_T, kA + 19},
    {SDL_SCANCODE_U, kA + 20},
    {SDL_SCANCODE_V, kA + 21},
    {SDL_SCANCODE_W, kA + 22},
    {SDL_SCANCODE_X, kA + 23},
    {SDL_SCANCODE_Y, kA + 24},
    {SDL_SCANCODE_Z, kA + 25},
    {SDL_SCANCODE_0, k0},
    {SDL_SCANCODE_1, k0 + 1},
    {SDL_SCANCODE_2, k0 + 2},
    {SDL_SCANCODE_3, k0 + 3},
    {SDL_SCANCODE_4, k0 + 4},
    {SDL_SCANCODE_5, k0 + 5},
    {SDL_SCANCODE_6, k0 + 6},
    {SDL_SCANCODE_7, k0 + 7},
    {SDL_SCANCODE_8, k0 + 8},
    {SDL_SCANCODE_9, k0 + 9},
    {SDL_SCANCODE_F1, kF1},
    {SDL_SCANCODE_F2, kF1 + 1},
    {SDL_SCANCODE_F3, kF1 + 2},
    {SDL_SCANCODE_F4, kF1 + 3},
    {SDL_SCANCODE_F5, kF1 + 4},
    {SDL_SCANCODE_F6, kF1 + 5},
    {SDL_SCANCODE_F7, kF1 + 6},
    {SDL_SCANCODE_F8, kF1 + 7},
    {SDL_SCANCODE_F9, kF1 + 8},
    {SDL_SCANCODE_F10, kF1 + 9},
    {SDL_SCANCODE_F11, kF1 + 10},
    {SDL_SCANCODE_F12, kF1 + 11},
    {SDL_SCANCODE_KP_0, kNumpad0},
    {SDL_SCANCODE_KP_1, kNumpad0 + 1},
    {SDL_SCANCODE_KP_2, kNumpad0 + 2},
    {SDL_SCANCODE_KP_3, kNumpad0 + 3},
    {SDL_SCANCODE_KP_4, kNumpad0 + 4},
    {SDL_SCANCODE_KP_5, kNumpad0 + 5},
    {SDL_SCANCODE_KP_6, kNumpad0 + 6},
    {SDL_SCANCODE_KP_7, kNumpad0 + 7},
    {SDL_SCANCODE_KP_8, kNumpad0 + 8},
    {SDL_SCANCODE_KP_9, kNumpad0 + 9},
    {SDL_SCANCODE_BACKSPACE, kBack},
    {SDL_SCANCODE_TAB, kTab},
    {SDL_SCANCODE_RETURN, kReturn},
    {SDL_SCANCODE_KP_ENTER, kReturn},
    {SDL_SCANCODE_PAUSE, kPause},
    {SDL_SCANCODE_CAPSLOCK, kCapital},
    {SDL_SCANCODE_ESCAPE, kEscape},
    {SDL_SCANCODE_SPACE, kSpace},
    {SDL_SCANCODE_PAGEUP, kPageUp},
    {SDL_SCANCODE_PAGEDOWN, kPageDown},
    {SDL_SCANCODE_END, kEnd},
    {SDL_SCANCODE_HOME, kHome},
    {SDL_SCANCODE_LEFT, kLeft},
    {SDL_SCANCODE_UP, kUp},
    {SDL_SCANCODE_RIGHT, kRight},
    {SDL_SCANCODE_DOWN, kDown},
    {SDL_SCANCODE_INSERT, kInsert},
    {SDL_SCANCODE_DELETE, kDelete},
    {SDL_SCANCODE_KP_MULTIPLY, kMultiply},
    {SDL_SCANCODE_KP_PLUS, kAdd},
    {SDL_SCANCODE_KP_MINUS, kSubtract},
    {SDL_SCANCODE_KP_PERIOD, kDecimal},
    {SDL_SCANCODE_KP_DIVIDE, kDivide},
    {SDL_SCANCODE_NUMLOCKCLEAR, kNumLock},
    {SDL_SCANCODE_SCROLLLOCK, kScrollLock},
    {SDL_SCANCODE_LSHIFT, kLeftShift},
    {SDL_SCANCODE_RSHIFT, kRightShift},
    {SDL_SCANCODE_LCTRL, kLeftControl},
    {SDL_SCANCODE_RCTRL, kRightControl},
    {SDL_SCANCODE_LALT, kLeftMenu},
    {SDL_SCANCODE_RALT, kRightMenu},
    {SDL_SCANCODE_SEMICOLON, kSemicolon},
    {SDL_SCANCODE_EQUALS, kEquals},
    {SDL_SCANCODE_COMMA, kComma},
    {SDL_SCANCODE_MINUS, kMinus},
    {SDL_SCANCODE_PERIOD, kPeriod},
    {SDL_SCANCODE_SLASH, kSlash},
    {SDL_SCANCODE_GRAVE, kGrave},
    {SDL_SCANCODE_LEFTBRACKET, kLeftBracket},
    {SDL_SCANCODE_BACKSLASH, kBackslash},
    {SDL_SCANCODE_RIGHTBRACKET, kRightBracket},
    {SDL_SCANCODE_APOSTROPHE, kApostrophe},
};

// The table by scancode, 0 where a key has no code (no virtual key is 0).
constexpr std::array<unsigned, SDL_NUM_SCANCODES> kKeysByScancode = []
{
    std::array<unsigned, SDL_NUM_SCANCODES> byScancode{};
    for (const KeyEntry& entry : kKeys)
    {
        byScancode[entry.scancode] = entry.virtualKey;
    }
    return byScancode;
}();
} // namespace

std::optional<unsigned> ScancodeToVirtualKey(SDL_Scancode scancode)
{
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES || kKeysByScancode[scancode] == 0)
    {
        return std::nullopt;
    }
    return kKeysByScancode[scancode];
}

std::optional<unsigned> MouseButtonToVirtualKey(std::uint8_t button)
{
    switch (button)
    {
    case SDL_BUTTON_LEFT:
        return VirtualKey::kLeftButton;
    case SDL_BUTTON_RIGHT:
        return VirtualKey::kRightButton;
    case SDL_BUTTON_MIDDLE:
        return VirtualKey::kMiddleButton;
    case SDL_BUTTON_X1:
        return VirtualKey::kExtraButton1;
    case SDL_BUTTON_X2:
        return VirtualKey::kExtraButton2;
    default:
        return std::nullopt;
    }
}

std::optional<std::pair<unsigned, unsigned>> SidesOfModifier(unsigned virtualKey)
{
    using namespace VirtualKey;
    switch (virtualKey)
    {
    case kShift:
        return std::pair{kLeftShift, kRightShift};
    case kControl:
        return std::pair{kLeftControl, kRightControl};
    case kMenu:
        return std::pair{kLeftMenu, kRightMenu};
    default:
        return std::nullopt;
    }
}
} // namespace Morvane::Platform
