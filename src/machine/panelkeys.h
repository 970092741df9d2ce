#pragma once

#include <Qt>

// The panel's jog key code (machinekeys.h) for a Qt key event; 0 for a key
// the panel does not use. Numpad keys are told apart by the keypad
// modifier, with Num Lock on (digits) or off (arrows, Home, Page Up ...).
int jogKeyForQtKey(int qtKey, Qt::KeyboardModifiers modifiers);

// Numpad + and -: the speed steps.
namespace JogKey {
constexpr int NumpadAdd = 107;
constexpr int NumpadSubtract = 109;
} // namespace JogKey
