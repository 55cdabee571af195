#include "Platform/KeyCodes.h"

#include <SDL_mouse.h>

namespace Morvane::Platform
{
namespace
{
std::optional<unsigned> InRange(SDL_Scancode scancode, SDL_Scancode first, SDL_Scancode last, unsigned base)
{
    if (scancode >= first && scancode <= last)
    {
        return base + static_cast<unsigned>(scancode - first);
    }
    return std::nullopt;
}

std::optional<unsigned> RangedKey(SDL_Scancode scancode)
{
    if (auto key = InRange(scancode, SDL_SCANCODE_A, SDL_SCANCODE_Z, VirtualKey::kA))
    {
        return key;
    }
    // SDL numbers the digit row 1 to 9 then 0.
    if (auto key = InRange(scancode, SDL_SCANCODE_1, SDL_SCANCODE_9, VirtualKey::k0 + 1))
    {
        return key;
    }
    if (auto key = InRange(scancode, SDL_SCANCODE_F1, SDL_SCANCODE_F12, VirtualKey::kF1))
    {
        return key;
    }
    // And the number pad 1 to 9 then 0 as well.
    return InRange(scancode, SDL_SCANCODE_KP_1, SDL_SCANCODE_KP_9, VirtualKey::kNumpad0 + 1);
}
} // namespace

std::optional<unsigned> ScancodeToVirtualKey(SDL_Scancode scancode)
{
    if (auto key = RangedKey(scancode))
    {
        return key;
    }
    using namespace VirtualKey;
    switch (scancode)
    {
    case SDL_SCANCODE_0:
        return k0;
    case SDL_SCANCODE_KP_0:
        return kNumpad0;
    case SDL_SCANCODE_BACKSPACE:
        return kBack;
    case SDL_SCANCODE_TAB:
        return kTab;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
        return kReturn;
    case SDL_SCANCODE_PAUSE:
        return kPause;
    case SDL_SCANCODE_CAPSLOCK:
        return kCapital;
    case SDL_SCANCODE_ESCAPE:
        return kEscape;
    case SDL_SCANCODE_SPACE:
        return kSpace;
    case SDL_SCANCODE_PAGEUP:
        return kPageUp;
    case SDL_SCANCODE_PAGEDOWN:
        return kPageDown;
    case SDL_SCANCODE_END:
        return kEnd;
    case SDL_SCANCODE_HOME:
        return kHome;
    case SDL_SCANCODE_LEFT:
        return kLeft;
    case SDL_SCANCODE_UP:
        return kUp;
    case SDL_SCANCODE_RIGHT:
        return kRight;
    case SDL_SCANCODE_DOWN:
        return kDown;
    case SDL_SCANCODE_INSERT:
        return kInsert;
    case SDL_SCANCODE_DELETE:
        return kDelete;
    case SDL_SCANCODE_KP_MULTIPLY:
        return kMultiply;
    case SDL_SCANCODE_KP_PLUS:
        return kAdd;
    case SDL_SCANCODE_KP_MINUS:
        return kSubtract;
    case SDL_SCANCODE_KP_PERIOD:
        return kDecimal;
    case SDL_SCANCODE_KP_DIVIDE:
        return kDivide;
    case SDL_SCANCODE_NUMLOCKCLEAR:
        return kNumLock;
    case SDL_SCANCODE_SCROLLLOCK:
        return kScrollLock;
    case SDL_SCANCODE_LSHIFT:
        return kLeftShift;
    case SDL_SCANCODE_RSHIFT:
        return kRightShift;
    case SDL_SCANCODE_LCTRL:
        return kLeftControl;
    case SDL_SCANCODE_RCTRL:
        return kRightControl;
    case SDL_SCANCODE_LALT:
        return kLeftMenu;
    case SDL_SCANCODE_RALT:
        return kRightMenu;
    case SDL_SCANCODE_SEMICOLON:
        return kSemicolon;
    case SDL_SCANCODE_EQUALS:
        return kEquals;
    case SDL_SCANCODE_COMMA:
        return kComma;
    case SDL_SCANCODE_MINUS:
        return kMinus;
    case SDL_SCANCODE_PERIOD:
        return kPeriod;
    case SDL_SCANCODE_SLASH:
        return kSlash;
    case SDL_SCANCODE_GRAVE:
        return kGrave;
    case SDL_SCANCODE_LEFTBRACKET:
        return kLeftBracket;
    case SDL_SCANCODE_BACKSLASH:
        return kBackslash;
    case SDL_SCANCODE_RIGHTBRACKET:
        return kRightBracket;
    case SDL_SCANCODE_APOSTROPHE:
        return kApostrophe;
    default:
        return std::nullopt;
    }
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
