#include "machine/panelkeys.h"

#include "machine/machinekeys.h"

int jogKeyForQtKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (keypad) {
        switch (qtKey) {
        case Qt::Key_0: case Qt::Key_Insert: return JogKey::Numpad0;
        case Qt::Key_1: case Qt::Key_End: return JogKey::Numpad1;
        case Qt::Key_2: case Qt::Key_Down: return JogKey::Numpad2;
        case Qt::Key_3: case Qt::Key_PageDown: return JogKey::Numpad3;
        case Qt::Key_4: case Qt::Key_Left: return JogKey::Numpad4;
        case Qt::Key_5: case Qt::Key_Clear: return JogKey::Numpad5;
        case Qt::Key_6: case Qt::Key_Right: return JogKey::Numpad6;
        case Qt::Key_7: case Qt::Key_Home: return JogKey::Numpad7;
        case Qt::Key_8: case Qt::Key_Up: return JogKey::Numpad8;
        case Qt::Key_9: case Qt::Key_PageUp: return JogKey::Numpad9;
        case Qt::Key_Plus: return JogKey::NumpadAdd;
        case Qt::Key_Minus: return JogKey::NumpadSubtract;
        default: break;
        }
    }
    switch (qtKey) {
    case Qt::Key_Left: return JogKey::Left;
    case Qt::Key_Right: return JogKey::Right;
    case Qt::Key_Up: return JogKey::Up;
    case Qt::Key_Down: return JogKey::Down;
    case Qt::Key_PageUp: return JogKey::PageUp;
    case Qt::Key_PageDown: return JogKey::PageDown;
    case Qt::Key_Insert: return JogKey::Insert;
    case Qt::Key_F7: return JogKey::F7;
    case Qt::Key_F8: return JogKey::F8;
    case Qt::Key_Comma: return JogKey::Comma;
    case Qt::Key_Period: return JogKey::Period;
    default: return 0;
    }
}
