#pragma once
// Which keys are held down right now, for the polling of held keys in the frame update.
// Modifiers come from the window system at the moment of the call; other keys are those
// pressed in the main window and not yet released (auto-repeat ignored). The set empties when
// the window loses the focus, so a key released elsewhere is never left held.

#include <Qt>

namespace platform {

class KeyState {
public:
    // Fed by the main window's key events and focus changes.
    static void KeyPressed(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat);
    static void KeyReleased(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat);
    static void Reset();

    // A key of Qt::Key; keypad keys are asked for with keypad = true.
    static bool KeyHeld(int key, bool keypad = false);
    // The key that types the character (letters and digits, shift state ignored).
    static bool CharKeyHeld(char c);
    static bool ShiftHeld();
    static bool CtrlHeld();
    static bool AltHeld();
};

} // namespace platform
