// The names on both sides of a key binding: the PC keys a keyboard mapping line
// can name (PcKey) and the 3270 functions they can be bound to (HostFunction).
//
// A PcKey code indexes the KeyBindingTable. A HostFunction code above 24 is the
// function's AID byte; codes 1-22 are the local editing functions of the engine.
// Names are matched exactly: "f1" (F1) and "F1" (Shift+F1) are different keys.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace kestrel {

struct PcKey {
    std::string_view name;         // as written in a mapping file
    int code;                      // index into the KeyBindingTable
    std::string_view displayName;  // as shown in lists
};

struct HostFunction {
    std::string_view name;
    int code;
};

inline constexpr int kPcKeyCount = 68;
inline constexpr int kHostFunctionCount = 51;

// Every bindable key, in code order (the code equals the position).
extern const std::array<PcKey, kPcKeyCount> kPcKeys;

// Every function, in the order the keyboard layout editor lists them.
extern const std::array<HostFunction, kHostFunctionCount> kHostFunctions;

// Codes of the keys that need one in code (the rest are reached through kPcKeys).
namespace pc_key {
inline constexpr int kF1 = 0;            // f1-f12: 0-11
inline constexpr int kShiftF1 = 12;      // F1-F12: 12-23
inline constexpr int kCtrlF1 = 24;       // cf1-cf12: 24-35
inline constexpr int kCtrlShiftF1 = 36;  // CF1-CF12: 36-47
inline constexpr int kHome = 48;
inline constexpr int kEnd = 49;
inline constexpr int kPageUp = 50;
inline constexpr int kPageDown = 51;
inline constexpr int kEscape = 52;
inline constexpr int kReturn = 53;
inline constexpr int kKeypadEnter = 54;
inline constexpr int kBackspace = 55;
inline constexpr int kDelete = 56;
inline constexpr int kRightCtrl = 57;
inline constexpr int kPause = 58;
inline constexpr int kScrollLock = 59;
inline constexpr int kPrint = 60;
inline constexpr int kKeypadPlus = 61;
inline constexpr int kKeypadMinus = 62;
inline constexpr int kCtrlP = 63;
inline constexpr int kCtrlC = 64;
inline constexpr int kKeypadDivide = 65;
inline constexpr int kKeypadMultiply = 66;
inline constexpr int kShiftEscape = 67;
}  // namespace pc_key

// The key named NAME (case counts), or nothing.
const PcKey* findPcKey(std::string_view name);

// The function named NAME (case counts), or nothing.
const HostFunction* findHostFunction(std::string_view name);

// The function with code CODE, or nothing (0 and -1 name no function).
const HostFunction* findHostFunction(int code);

// How the word WORD is shown in lists: a key's display name ("shift f1" for F1),
// "NEWLINE" for NL, any other word as itself.
std::string_view keyDisplayName(std::string_view word);

// The PcKey slot of a key event, or nothing when the key is not bindable.
// VIRTUAL_KEY is a Windows virtual-key code, or 0x1063 for Ctrl+C and 0x1070 for
// Ctrl+P; FLAGS & 0x100 marks an extended key (the keypad Enter, the right Ctrl).
// Whether Escape, Shift+Escape, Enter and Ctrl+C may be looked up at all (a host
// session is up, Ctrl+C is not the copy key) is for the caller to decide.
std::optional<int> pcKeyForKeyEvent(int virtualKey, bool ctrl, bool shift, int flags);

}  // namespace kestrel
