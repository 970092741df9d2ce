#pragma once

// Key codes of the jog table (the controller's operators know them by these
// numbers; the panel maps Qt keys onto them).
namespace JogKey {
constexpr int PageUp = 33;
constexpr int PageDown = 34;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int Insert = 45;
constexpr int Numpad0 = 96;
constexpr int Numpad1 = 97;
constexpr int Numpad2 = 98;
constexpr int Numpad3 = 99;
constexpr int Numpad4 = 100;
constexpr int Numpad5 = 101;
constexpr int Numpad6 = 102;
constexpr int Numpad7 = 103;
constexpr int Numpad8 = 104;
constexpr int Numpad9 = 105;
constexpr int F7 = 118;
constexpr int F8 = 119;
constexpr int Comma = 188;
constexpr int Period = 190;
} // namespace JogKey
