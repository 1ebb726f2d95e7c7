#include "platform/KeyState.h"

#include <QGuiApplication>
#include <QSet>

#include <cctype>

namespace platform {
namespace {

// Keys are stored with a mark for the keypad, so keypad plus and the main plus key differ.
constexpr int kKeypadMark = 1 << 30;
QSet<int> gHeld;

int Code(int key, bool keypad) { return keypad ? (key | kKeypadMark) : key; }

Qt::KeyboardModifiers Modifiers() {
    // Without a GUI application (unit tests) only the keys recorded here count.
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance())
               ? QGuiApplication::queryKeyboardModifiers()
               : Qt::KeyboardModifiers();
}

} // namespace

void KeyState::KeyPressed(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat) {
    if (!autoRepeat)
        gHeld.insert(Code(key, modifiers & Qt::KeypadModifier));
}

void KeyState::KeyReleased(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat) {
    if (autoRepeat)
        return;
    // A key pressed with the keypad mark may be released without it (and the other way round).
    gHeld.remove(Code(key, modifiers & Qt::KeypadModifier));
    gHeld.remove(Code(key, !(modifiers & Qt::KeypadModifier)));
}

void KeyState::Reset() { gHeld.clear(); }

bool KeyState::KeyHeld(int key, bool keypad) {
    switch (key) {
    case Qt::Key_Shift: return ShiftHeld();
    case Qt::Key_Control: return CtrlHeld();
    case Qt::Key_Alt: return AltHeld();
    default: return gHeld.contains(Code(key, keypad));
    }
}

bool KeyState::CharKeyHeld(char c) {
    const unsigned char u = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(c)));
    if ((u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9'))
        return gHeld.contains(int(u));  // Qt::Key_A .. Qt::Key_Z and Qt::Key_0 .. Qt::Key_9
    return false;
}

bool KeyState::ShiftHeld() { return (Modifiers() & Qt::ShiftModifier) || gHeld.contains(Qt::Key_Shift); }
bool KeyState::CtrlHeld() { return (Modifiers() & Qt::ControlModifier) || gHeld.contains(Qt::Key_Control); }
bool KeyState::AltHeld() { return (Modifiers() & Qt::AltModifier) || gHeld.contains(Qt::Key_Alt); }

} // namespace platform
