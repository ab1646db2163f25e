// Qt key presses to virtual-key codes and display characters.
#include "app/key_translation.h"

#include <QKeyEvent>

#include "mapping/display_charset.h"
#include "mapping/virtual_keys.h"

namespace kestrel {
namespace {

// The right-hand Ctrl: its X11 keysym and keycode (also Wayland's), and the
// Windows scan code with the extended-key bit.
constexpr quint32 kXkControlR = 0xFFE4;
constexpr quint32 kX11RightCtrlKeycode = 105;
constexpr quint32 kWindowsRightCtrlScanCode = 0x11D;
// The keypad decimal key: X11 keycode (PC scan code 83 + 8) and Windows scan code.
constexpr quint32 kX11KeypadDecimalKeycode = 91;
constexpr quint32 kWindowsKeypadDecimalScanCode = 83;

constexpr int kCtrlBackspace = key_code::kRubout;

// The key code of a key the terminal takes as a key, or nothing.
std::optional<int> keyCodeFor(int qtKey, bool keypad) {
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) {
        return vk::kF1 + (qtKey - Qt::Key_F1);
    }
    switch (qtKey) {
        case Qt::Key_Tab:
            return key_code::kTab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return key_code::kEnter;
        case Qt::Key_Escape:
            return key_code::kEscape;
        case Qt::Key_Insert:
            return key_code::kInsert;
        case Qt::Key_Delete:
            return vk::kDelete;
        case Qt::Key_Home:
            return vk::kHome;
        case Qt::Key_End:
            return vk::kEnd;
        case Qt::Key_PageUp:
            return vk::kPageUp;
        case Qt::Key_PageDown:
            return vk::kPageDown;
        case Qt::Key_Backspace:
            return key_code::kBackspace;
        case Qt::Key_Pause:
            return vk::kPause;
        case Qt::Key_ScrollLock:
            return vk::kScroll;
        case Qt::Key_Print:
            return vk::kPrint;
        case Qt::Key_Left:
            return key_code::kLeft;
        case Qt::Key_Up:
            return key_code::kUp;
        case Qt::Key_Right:
            return key_code::kRight;
        case Qt::Key_Down:
            return key_code::kDown;
        default:
            break;
    }
    // The operator keys count as keys only on the keypad; on the main
    // keyboard they are characters.
    if (!keypad) {
        return std::nullopt;
    }
    switch (qtKey) {
        case Qt::Key_Asterisk:
            return key_code::kKeypadMultiply;
        case Qt::Key_Plus:
            return key_code::kKeypadPlus;
        case Qt::Key_Minus:
            return key_code::kKeypadMinus;
        case Qt::Key_Slash:
            return key_code::kKeypadDivide;
        default:
            return std::nullopt;
    }
}

bool isRightCtrl(int qtKey, quint32 scanCode, quint32 virtualKey) {
    return qtKey == Qt::Key_Control &&
           (virtualKey == kXkControlR || scanCode == kX11RightCtrlKeycode ||
            scanCode == kWindowsRightCtrlScanCode);
}

bool isDecimalPoint(const QString& text) {
    return text == QLatin1String(".") || text == QLatin1String(",");
}

bool fromKeypadDecimal(bool keypad, quint32 scanCode) {
    return keypad || scanCode == kX11KeypadDecimalKeycode ||
           scanCode == kWindowsKeypadDecimalScanCode;
}

// The control character of Ctrl held with a key: Ctrl+A..Z give 1..26 (on
// every platform, whatever text it supplies); other character keys (a letter
// of another layout, '[') give their text only when it is a control
// character. Function keys give none (Ctrl+Pause is not Ctrl+C).
std::optional<int> controlCharacter(int qtKey, const QString& text) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        return qtKey - Qt::Key_A + 1;
    }
    if (qtKey < Qt::Key_Escape && text.size() == 1 && text.at(0).unicode() < 0x20) {
        return text.at(0).unicode();
    }
    return std::nullopt;
}

// TEXT as one display character, or nothing when it is not exactly one. A
// character the display set lacks types nothing rather than a '?' the
// operator did not type.
std::optional<int> displayCharacter(const QString& text, int fontCharset) {
    if (text.isEmpty()) {
        return std::nullopt;
    }
    const QByteArray utf8 = text.toUtf8();
    const std::string bytes =
        utf8ToDisplay(std::string_view(utf8.constData(), size_t(utf8.size())), fontCharset);
    if (bytes.size() != 1 || (bytes[0] == '?' && text != QLatin1String("?"))) {
        return std::nullopt;
    }
    return static_cast<unsigned char>(bytes[0]);
}

}  // namespace

KeyInput translateKeyPress(int qtKey, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode,
                           quint32 nativeVirtualKey, const QString& text, int fontCharset,
                           bool numPoint) {
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    const bool alt = modifiers.testFlag(Qt::AltModifier);
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    // Ctrl+Alt is how Windows reports AltGr: a character key, not a control key.
    const bool altGr = ctrl && alt;

    KeyInput input;
    if (alt && !ctrl) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9 && !keypad) {
            input.macroDigit = qtKey - Qt::Key_0;
        }
        return input;
    }

    if (isRightCtrl(qtKey, nativeScanCode, nativeVirtualKey)) {
        input.key = KeyStroke{vk::kControl, true, shift, key_code::kExtendedKey};
        return input;
    }

    // The keypad decimal key types its character whatever Qt calls the key
    // (Period, Comma, or Delete with NumLock off on some platforms).
    if ((!ctrl || altGr) && isDecimalPoint(text) && fromKeypadDecimal(keypad, nativeScanCode)) {
        const char point = text.at(0).toLatin1();
        input.character = numPoint ? (point == '.' ? ',' : '.') : point;
        return input;
    }

    if (qtKey == Qt::Key_Backtab) {
        input.key = KeyStroke{key_code::kTab, ctrl, true, 0};
        return input;
    }

    if (ctrl && !altGr) {
        const std::optional<int> control = controlCharacter(qtKey, text);
        if (control == 'C' - '@') {
            input.key = KeyStroke{key_code::kCtrlC, true, shift, 0};
        } else if (control == 'P' - '@') {
            input.key = KeyStroke{key_code::kCtrlP, true, shift, 0};
        }
        if (input.key) {
            input.character = control;
            return input;
        }
    }

    if (const std::optional<int> code = keyCodeFor(qtKey, keypad)) {
        const bool keypadEnter = qtKey == Qt::Key_Enter || (qtKey == Qt::Key_Return && keypad);
        input.key = KeyStroke{*code, ctrl, shift, keypadEnter ? key_code::kExtendedKey : 0};
        if (*code == key_code::kBackspace) {
            input.character = ctrl ? kCtrlBackspace : key_code::kBackspace;
        }
        return input;
    }

    if (ctrl && !altGr) {
        input.character = controlCharacter(qtKey, text);
        return input;
    }
    input.character = displayCharacter(text, fontCharset);
    return input;
}

KeyInput translateKeyPress(const QKeyEvent& event, int fontCharset, bool numPoint) {
    return translateKeyPress(event.key(), event.modifiers(), event.nativeScanCode(),
                             event.nativeVirtualKey(), event.text(), fontCharset, numPoint);
}

}  // namespace kestrel
