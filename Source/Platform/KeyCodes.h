#pragma once

#include <SDL_scancode.h>
#include <cstdint>
#include <optional>
#include <utility>

namespace Morvane::Platform
{
// Windows virtual-key codes: the numbering game code and data use for keys and mouse buttons.
namespace VirtualKey
{
constexpr unsigned kLeftButton = 0x01;
constexpr unsigned kRightButton = 0x02;
constexpr unsigned kMiddleButton = 0x04;
constexpr unsigned kExtraButton1 = 0x05;
constexpr unsigned kExtraButton2 = 0x06;
constexpr unsigned kBack = 0x08;
constexpr unsigned kTab = 0x09;
constexpr unsigned kReturn = 0x0D;
constexpr unsigned kShift = 0x10;
constexpr unsigned kControl = 0x11;
constexpr unsigned kMenu = 0x12; // Alt
constexpr unsigned kPause = 0x13;
constexpr unsigned kCapital = 0x14;
constexpr unsigned kEscape = 0x1B;
constexpr unsigned kSpace = 0x20;
constexpr unsigned kPageUp = 0x21;
constexpr unsigned kPageDown = 0x22;
constexpr unsigned kEnd = 0x23;
constexpr unsigned kHome = 0x24;
constexpr unsigned kLeft = 0x25;
constexpr unsigned kUp = 0x26;
constexpr unsigned kRight = 0x27;
constexpr unsigned kDown = 0x28;
constexpr unsigned kInsert = 0x2D;
constexpr unsigned kDelete = 0x2E;
constexpr unsigned k0 = 0x30;       // '0' to '9' follow in order
constexpr unsigned kA = 0x41;       // 'A' to 'Z' follow in order
constexpr unsigned kNumpad0 = 0x60; // number-pad digits follow in order
constexpr unsigned kMultiply = 0x6A;
constexpr unsigned kAdd = 0x6B;
constexpr unsigned kSubtract = 0x6D;
constexpr unsigned kDecimal = 0x6E;
constexpr unsigned kDivide = 0x6F;
constexpr unsigned kF1 = 0x70; // F1 to F12 follow in order
constexpr unsigned kF12 = 0x7B;
constexpr unsigned kNumLock = 0x90;
constexpr unsigned kScrollLock = 0x91;
constexpr unsigned kLeftShift = 0xA0;
constexpr unsigned kRightShift = 0xA1;
constexpr unsigned kLeftControl = 0xA2;
constexpr unsigned kRightControl = 0xA3;
constexpr unsigned kLeftMenu = 0xA4;
constexpr unsigned kRightMenu = 0xA5;
constexpr unsigned kSemicolon = 0xBA;
constexpr unsigned kEquals = 0xBB;
constexpr unsigned kComma = 0xBC;
constexpr unsigned kMinus = 0xBD;
constexpr unsigned kPeriod = 0xBE;
constexpr unsigned kSlash = 0xBF;
constexpr unsigned kGrave = 0xC0;
constexpr unsigned kLeftBracket = 0xDB;
constexpr unsigned kBackslash = 0xDC;
constexpr unsigned kRightBracket = 0xDD;
constexpr unsigned kApostrophe = 0xDE;
} // namespace VirtualKey

// The virtual key of a physical key, or nothing for keys the game has no code for.
std::optional<unsigned> ScancodeToVirtualKey(SDL_Scancode scancode);

// The virtual key of an SDL mouse button (SDL_BUTTON_LEFT ...), or nothing.
std::optional<unsigned> MouseButtonToVirtualKey(std::uint8_t button);

// The left and right keys behind a side-less modifier (Shift, Control, Alt), or nothing for other keys.
std::optional<std::pair<unsigned, unsigned>> SidesOfModifier(unsigned virtualKey);
} // namespace Morvane::Platform
