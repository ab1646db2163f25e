// Key translation: a Qt key press as the terminal takes it.
//
// The terminal speaks Windows virtual-key codes (plus the cursor-key and
// control-letter codes of key_code) for keys, and display characters for
// typing. One key press can give a key event, a typed character, both, or
// neither:
//
// - Printable keys give only a character. A key event without a binding slot
//   goes straight to the editing core, which would enter its code as a
//   character a second time (and F13-F24, 0x7C-0x87, would type '|', '}', '~'
//   and a rubout); so only the keys the terminal handles as keys are
//   translated: F1-F12, Tab/Backtab, Enter, keypad Enter, Escape, Insert,
//   Delete, Home, End, Page Up/Down, Backspace, Pause, Scroll Lock, Print, the
//   keypad + - * /, the arrows, Ctrl+C (0x1063), Ctrl+P (0x1070) and the
//   right-hand Ctrl on its own (VK_CONTROL 0x11 with the extended flag).
// - Backspace, Ctrl+C and Ctrl+P also give their control character (0x08, or
//   0x7F for Ctrl+Backspace; 0x03; 0x10), as every other Ctrl+letter does:
//   the terminal drops control characters in record mode and sends them as
//   bytes in line mode. Tab, Escape, Enter and Delete give no character:
//   their key event already sends their byte in line mode.
// - The keypad + - * / give no character: their key event types the
//   character while the key has no binding.
// - Alt+0 ... Alt+9 (the main digit row) only name the macro to play.
// - With Alt held (and not Ctrl, which with Alt is AltGr on Windows), nothing
//   else is translated: those combinations belong to the menus.
#pragma once

#include <QString>
#include <Qt>
#include <optional>

#include "engine/keyboard.h"

class QKeyEvent;

namespace kestrel {

struct KeyInput {
    // For Terminal::keyEvent; delivered before the character.
    std::optional<KeyStroke> key;
    // For Terminal::typedCharacter: one display character (0-255).
    std::optional<int> character;
    // Alt+digit: the macro (0-9) to play; nothing else is set.
    std::optional<int> macroDigit;
};

// Translates one key press. FONT_CHARSET selects the display character set
// the text is converted to; NUM_POINT swaps ',' and '.' from the keypad
// decimal key. The native codes identify keys Qt does not tell apart: the
// right-hand Ctrl and the keypad decimal key (X11 and Windows codes).
KeyInput translateKeyPress(int qtKey, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode,
                           quint32 nativeVirtualKey, const QString& text, int fontCharset,
                           bool numPoint);
KeyInput translateKeyPress(const QKeyEvent& event, int fontCharset, bool numPoint);

}  // namespace kestrel
