// The keyboard's two entries, the lock, type-ahead, the line-mode keyboard
// and the automatic login.
#include "engine/keyboard.h"

#include "engine/read_reply.h"
#include "engine/vt.h"
#include "mapping/key_binding_table.h"
#include "mapping/key_names.h"
#include "net/octal_escapes.h"

namespace kestrel {
namespace {

namespace f = host_function;

// Codes above this are AIDs.
constexpr int kLastLocalFunction = 24;
// A first screen shorter than this is not a logon panel worth typing into.
constexpr size_t kAutoLoginMinimumRecord = 26;

// Whether the keystroke recorder hears an input. Input that the recorder has
// already heard (replayed type-ahead) or that must never reach a script file
// (the automatic login's password) is passed with kUnrecorded.
enum class Recording { kRecorded, kUnrecorded };

// The character a keypad operator key types while it has no binding.
int keypadCharacter(int pcKey) {
    switch (pcKey) {
        case pc_key::kKeypadPlus:
            return '+';
        case pc_key::kKeypadMinus:
            return '-';
        case pc_key::kKeypadMultiply:
            return '*';
        case pc_key::kKeypadDivide:
            return '/';
        default:
            return 0;
    }
}

// The key-binding slot of a key event. Escape and Enter belong to the map
// only while a 3270 session is up; in line mode they are plain keys. Ctrl+C
// is bindable only while it is not the copy key.
std::optional<int> bindingSlot(const vt& engine, bool recordMode, int code, bool ctrl, bool shift,
                               int flags) {
    if (!recordMode && (code == key_code::kEscape || code == key_code::kEnter)) {
        return std::nullopt;
    }
    if (code == key_code::kCtrlC && engine.settings.use_cv) {
        return std::nullopt;
    }
    return pcKeyForKeyEvent(code, ctrl, shift, flags);
}

// Puts ENTRY in the type-ahead queue. A full queue refuses it: the keystroke
// is lost, and the operator must see that rather than have it vanish.
void queue(vt& engine, const TypeAheadEntry& entry) {
    TypeAheadQueue& typeAhead = engine.keyboard.typeAhead;
    if (!typeAhead.push(entry)) {
        typeAhead.overflowed = true;
        engine.inputError = 1;
    }
}

// A bound function, behind the keyboard lock: while locked only RESET,
// SYSREQ and ATTN act.
int runFunction(vt& engine, KeyboardHost& host, int function) {
    if (!engine.keyboardUnlocked) {
        if (function == f::kReset) {
            engine.keyboardUnlocked = 1;
            return 0;
        }
        if (function != f::kSysreq && function != f::kAttn) {
            engine.inputError = 1;
            return 0;
        }
    }
    if (function > kLastLocalFunction) {
        return function <= 0xFF ? sendAid(engine, uint8_t(function)) : 0;
    }
    return runLocalFunction(engine, host, function);
}

// Line mode: the key's low byte goes to the host, Enter the proxy_return text.
int sendLineModeKey(vt& engine, KeyboardHost& host, int code) {
    if (code == key_code::kEnter) {
        const std::vector<uint8_t> text = decodeOctalEscapes(engine.settings.proxy_return);
        if (!text.empty()) {
            host.sendRaw(text.data(), text.size());
        }
    } else {
        const uint8_t byte = uint8_t(code & 0xFF);
        host.sendRaw(&byte, 1);
    }
    return 1;
}

int handleCharacter(vt& engine, KeyboardHost& host, int code, Recording recording) {
    engine.inputError = 0;
    if (!host.recordMode()) {
        const uint8_t byte = uint8_t(code & 0xFF);
        host.sendRaw(&byte, 1);
        return 1;
    }
    if (engine.keyboardUnlocked) {
        if (recording == Recording::kRecorded) {
            host.recordCharacterEvent(code);
        }
        editKey(engine, host, code);
    } else if (engine.settings.typeahead) {
        if (recording == Recording::kRecorded && !engine.keyboard.typeAhead.full()) {
            host.recordCharacterEvent(code);
        }
        queue(engine, {code, false, false, 0, TypeAheadEntry::kCharacter});
    } else {
        engine.inputError = 1;
    }
    return 0;
}

int handleKey(vt& engine, KeyboardHost& host, int code, bool ctrl, bool shift, int flags,
              Recording recording) {
    engine.inputError = 0;
    if (code == key_code::kInsert) {
        engine.insertMode = !engine.insertMode;
        return 1;
    }

    const bool recordMode = host.recordMode();
    const std::optional<int> slot = bindingSlot(engine, recordMode, code, ctrl, shift, flags);
    if (slot) {
        const int character = keypadCharacter(*slot);
        if (character && engine.keyBindings.at(*slot) == kKeyNeverBound) {
            handleCharacter(engine, host, character, recording);
            return 1;
        }
    }

    // Escape stays out of the queue so that, bound to RESET, it can unlock a
    // keyboard that is waiting with type-ahead on.
    const bool escape = recordMode && code == key_code::kEscape && !shift;
    if (recordMode && !escape && engine.settings.typeahead && !engine.keyboardUnlocked) {
        if (recording == Recording::kRecorded && !engine.keyboard.typeAhead.full()) {
            host.recordKeyEvent(code, ctrl, shift, 0);
        }
        queue(engine, {code, ctrl, shift, flags, TypeAheadEntry::kKey});
        return 0;
    }
    if (recording == Recording::kRecorded) {
        host.recordKeyEvent(code, ctrl, shift, flags);
    }

    if (!slot) {
        if (!recordMode) {
            return sendLineModeKey(engine, host, code);
        }
        if (engine.keyboardUnlocked) {
            editKey(engine, host, code, ctrl, shift);
        } else {
            engine.inputError = 1;
        }
        return 0;
    }
    return runFunction(engine, host, engine.keyBindings.at(*slot));
}

}  // namespace

std::optional<KeyStroke> keyStrokeForPcKey(int pcKey) {
    constexpr int kVkF1 = 0x70;
    if (pcKey >= pc_key::kF1 && pcKey < pc_key::kCtrlShiftF1 + 12) {
        const int group = pcKey / 12;  // f, F, cf, CF
        return KeyStroke{kVkF1 + pcKey % 12, group >= 2, group % 2 == 1, 0};
    }
    switch (pcKey) {
        case pc_key::kHome:
            return KeyStroke{0x24};
        case pc_key::kEnd:
            return KeyStroke{0x23};
        case pc_key::kPageUp:
            return KeyStroke{0x21};
        case pc_key::kPageDown:
            return KeyStroke{0x22};
        case pc_key::kEscape:
            return KeyStroke{key_code::kEscape};
        case pc_key::kReturn:
            return KeyStroke{key_code::kEnter};
        case pc_key::kKeypadEnter:
            return KeyStroke{key_code::kEnter, false, false, key_code::kExtendedKey};
        case pc_key::kBackspace:
            return KeyStroke{key_code::kBackspace};
        case pc_key::kDelete:
            return KeyStroke{0x2E};
        case pc_key::kRightCtrl:
            return KeyStroke{0x11, true, false, key_code::kExtendedKey};
        case pc_key::kPause:
            return KeyStroke{0x13};
        case pc_key::kScrollLock:
            return KeyStroke{0x91};
        case pc_key::kPrint:
            return KeyStroke{0x2C};
        case pc_key::kKeypadPlus:
            return KeyStroke{key_code::kKeypadPlus};
        case pc_key::kKeypadMinus:
            return KeyStroke{key_code::kKeypadMinus};
        case pc_key::kCtrlP:
            return KeyStroke{key_code::kCtrlP, true};
        case pc_key::kCtrlC:
            return KeyStroke{key_code::kCtrlC, true};
        case pc_key::kKeypadDivide:
            return KeyStroke{key_code::kKeypadDivide};
        case pc_key::kKeypadMultiply:
            return KeyStroke{key_code::kKeypadMultiply};
        case pc_key::kShiftEscape:
            return KeyStroke{key_code::kEscape, false, true};
        default:
            return std::nullopt;
    }
}

int keyEvent(vt& engine, KeyboardHost& host, int code, bool ctrl, bool shift, int flags) {
    return handleKey(engine, host, code, ctrl, shift, flags, Recording::kRecorded);
}

int characterEvent(vt& engine, KeyboardHost& host, int code) {
    return handleCharacter(engine, host, code, Recording::kRecorded);
}

int pressHostFunction(vt& engine, KeyboardHost& host, int function) {
    engine.inputError = 0;
    const bool actsAtOnce = function == f::kReset || function == f::kAttn || function == f::kSysreq;
    if (!actsAtOnce && host.recordMode() && engine.settings.typeahead && !engine.keyboardUnlocked) {
        queue(engine, {function, false, false, 0, TypeAheadEntry::kHostFunction});
        return 0;
    }
    return runFunction(engine, host, function);
}

void resetKeyboard(vt& engine) {
    engine.keyboardUnlocked = 1;
}

void setInsertMode(vt& engine, int value) {
    engine.insertMode = value;
}

void setInputError(vt& engine, int value) {
    engine.inputError = value;
}

int replayTypeAhead(vt& engine, KeyboardHost& host) {
    TypeAheadQueue& typeAhead = engine.keyboard.typeAhead;
    int output = 0;
    while (engine.keyboardUnlocked) {
        const std::optional<TypeAheadEntry> entry = typeAhead.pop();
        if (!entry) {
            break;
        }
        // The recorder heard these keystrokes when they were queued.
        switch (entry->kind) {
            case TypeAheadEntry::kKey:
                output |= handleKey(engine, host, entry->code, entry->ctrl, entry->shift,
                                    entry->flags, Recording::kUnrecorded);
                break;
            case TypeAheadEntry::kCharacter:
                output |= handleCharacter(engine, host, entry->code, Recording::kUnrecorded);
                break;
            case TypeAheadEntry::kHostFunction:
                output |= pressHostFunction(engine, host, entry->code);
                break;
        }
    }
    // Keystrokes were refused while the queue was full; now that the ones
    // before them have run, say so.
    if (typeAhead.empty() && typeAhead.overflowed) {
        typeAhead.overflowed = false;
        engine.inputError = 1;
    }
    return output;
}

int autoLogin(vt& engine, KeyboardHost& host, size_t recordLength, bool replySent) {
    const Settings& settings = engine.settings;
    if (recordLength < kAutoLoginMinimumRecord || replySent || !settings.autologin ||
        engine.keyboard.autoLoginDone || !host.recordMode()) {
        return 0;
    }
    // Typed into a locked keyboard the name and password would be refused, or
    // queued and typed later into whatever screen comes next; wait for a
    // screen that takes input.
    if (!engine.keyboardUnlocked) {
        return 0;
    }
    engine.keyboard.autoLoginDone = true;
    for (const char c : settings.user) {
        handleCharacter(engine, host, uint8_t(c), Recording::kUnrecorded);
    }
    editKey(engine, host, key_code::kTab);
    for (const char c : settings.password) {
        handleCharacter(engine, host, uint8_t(c), Recording::kUnrecorded);
    }
    buildReadReply(engine, aid::kEnter);
    return 1;
}

void resetAutoLogin(vt& engine) {
    engine.keyboard.autoLoginDone = false;
}

}  // namespace kestrel
