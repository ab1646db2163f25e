// The PcKey and HostFunction tables; see key_names.h.
#include "mapping/key_names.h"

#include <algorithm>

#include "mapping/virtual_keys.h"

namespace kestrel {

const std::array<PcKey, kPcKeyCount> kPcKeys = {{
    {"f1", 0, "f1"},
    {"f2", 1, "f2"},
    {"f3", 2, "f3"},
    {"f4", 3, "f4"},
    {"f5", 4, "f5"},
    {"f6", 5, "f6"},
    {"f7", 6, "f7"},
    {"f8", 7, "f8"},
    {"f9", 8, "f9"},
    {"f10", 9, "f10"},
    {"f11", 10, "f11"},
    {"f12", 11, "f12"},
    {"F1", 12, "shift f1"},
    {"F2", 13, "shift f2"},
    {"F3", 14, "shift f3"},
    {"F4", 15, "shift f4"},
    {"F5", 16, "shift f5"},
    {"F6", 17, "shift f6"},
    {"F7", 18, "shift f7"},
    {"F8", 19, "shift f8"},
    {"F9", 20, "shift f9"},
    {"F10", 21, "shift f10"},
    {"F11", 22, "shift f11"},
    {"F12", 23, "shift f12"},
    {"cf1", 24, "ctrl f1"},
    {"cf2", 25, "ctrl f2"},
    {"cf3", 26, "ctrl f3"},
    {"cf4", 27, "ctrl f4"},
    {"cf5", 28, "ctrl f5"},
    {"cf6", 29, "ctrl f6"},
    {"cf7", 30, "ctrl f7"},
    {"cf8", 31, "ctrl f8"},
    {"cf9", 32, "ctrl f9"},
    {"cf10", 33, "ctrl f10"},
    {"cf11", 34, "ctrl f11"},
    {"cf12", 35, "ctrl f12"},
    {"CF1", 36, "ctrl shift f1"},
    {"CF2", 37, "ctrl shift f2"},
    {"CF3", 38, "ctrl shift f3"},
    {"CF4", 39, "ctrl shift f4"},
    {"CF5", 40, "ctrl shift f5"},
    {"CF6", 41, "ctrl shift f6"},
    {"CF7", 42, "ctrl shift f7"},
    {"CF8", 43, "ctrl shift f8"},
    {"CF9", 44, "ctrl shift f9"},
    {"CF10", 45, "ctrl shift f10"},
    {"CF11", 46, "ctrl shift f11"},
    {"CF12", 47, "ctrl shift f12"},
    {"HOME", 48, "HOME"},
    {"END", 49, "END"},
    {"PGUP", 50, "PGUP"},
    {"PGDN", 51, "PGDN"},
    {"ESC", 52, "ESC"},
    {"RETURN", 53, "RETURN"},
    {"ENTER", 54, "ENTER"},
    {"BACKSPACE", 55, "BACKSPACE"},
    {"DEL", 56, "DEL"},
    {"CTRL", 57, "CTRL"},
    {"PAUSE", 58, "PAUSE"},
    {"SCROLL", 59, "SCROLL"},
    {"PRINT", 60, "PRINT"},
    {"PLUS", 61, "PLUS"},
    {"MINUS", 62, "MINUS"},
    {"CTRLP", 63, "ctrl P"},
    {"CTRLC", 64, "ctrl C"},
    {"DIVIDE", 65, "DIVIDE"},
    {"MULTIPLY", 66, "MULTIPLY"},
    {"SHIFTESC", 67, "shift ESC"},
}};

const std::array<HostFunction, kHostFunctionCount> kHostFunctions = {{
    {"PF1", 0xF1},  {"PF2", 0xF2},    {"PF3", 0xF3},     {"PF4", 0xF4},  {"PF5", 0xF5},
    {"PF6", 0xF6},  {"PF7", 0xF7},    {"PF8", 0xF8},     {"PF9", 0xF9},  {"PF10", 0x7A},
    {"PF11", 0x7B}, {"PF12", 0x7C},   {"PF13", 0xC1},    {"PF14", 0xC2}, {"PF15", 0xC3},
    {"PF16", 0xC4}, {"PF17", 0xC5},   {"PF18", 0xC6},    {"PF19", 0xC7}, {"PF20", 0xC8},
    {"PF21", 0xC9}, {"PF22", 0x4A},   {"PF23", 0x4B},    {"PF24", 0x4C}, {"ATTN", 17},
    {"SYSREQ", 16}, {"INSERT", 1},    {"ERASEINPUT", 3}, {"DUP", 9},     {"CLEAR", 0x6D},
    {"RESET", 8},   {"ENTER", 0x7D},  {"NL", 11},        {"DELETE", 13}, {"LEFTDELETE", 14},
    {"BTAB", 6},    {"TAB", 7},       {"HOME", 15},      {"FM", 10},     {"STARTF", 4},
    {"ENDF", 5},    {"ERASEF", 2},    {"ERASEEOF", 12},  {"PA1", 0x6C},  {"PA2", 0x6E},
    {"PA3", 0x6B},  {"HARDCOPY", 18}, {"REAL+", 19},     {"REAL-", 20},  {"REAL*", 21},
    {"REAL/", 22},
}};

namespace {

// The engine's codes for the two control letters, and the extended-key flag.
constexpr int kCtrlC = 0x1063;
constexpr int kCtrlP = 0x1070;
constexpr int kExtendedKey = 0x100;

}  // namespace

const PcKey* findPcKey(std::string_view name) {
    const auto found = std::find_if(kPcKeys.begin(), kPcKeys.end(),
                                    [name](const PcKey& key) { return key.name == name; });
    return found == kPcKeys.end() ? nullptr : &*found;
}

const HostFunction* findHostFunction(std::string_view name) {
    const auto found =
        std::find_if(kHostFunctions.begin(), kHostFunctions.end(),
                     [name](const HostFunction& function) { return function.name == name; });
    return found == kHostFunctions.end() ? nullptr : &*found;
}

const HostFunction* findHostFunction(int code) {
    const auto found =
        std::find_if(kHostFunctions.begin(), kHostFunctions.end(),
                     [code](const HostFunction& function) { return function.code == code; });
    return found == kHostFunctions.end() ? nullptr : &*found;
}

std::string_view keyDisplayName(std::string_view word) {
    if (word == "NL") {
        return "NEWLINE";
    }
    const PcKey* key = findPcKey(word);
    return key == nullptr ? word : key->displayName;
}

std::optional<int> pcKeyForKeyEvent(int virtualKey, bool ctrl, bool shift, int flags) {
    if (virtualKey >= vk::kF1 && virtualKey <= vk::kF12) {
        const int base = ctrl ? (shift ? pc_key::kCtrlShiftF1 : pc_key::kCtrlF1)
                              : (shift ? pc_key::kShiftF1 : pc_key::kF1);
        return base + (virtualKey - vk::kF1);
    }
    const bool extended = (flags & kExtendedKey) != 0;
    switch (virtualKey) {
        case vk::kHome:
            return pc_key::kHome;
        case vk::kEnd:
            return pc_key::kEnd;
        case vk::kPageUp:
            return pc_key::kPageUp;
        case vk::kPageDown:
            return pc_key::kPageDown;
        case vk::kEscape:
            return shift ? pc_key::kShiftEscape : pc_key::kEscape;
        case vk::kReturn:
            return extended ? pc_key::kKeypadEnter : pc_key::kReturn;
        case vk::kBackspace:
            return pc_key::kBackspace;
        case vk::kDelete:
            return pc_key::kDelete;
        case vk::kControl:
            // Only the right-hand Ctrl key is bindable; the left one stays a modifier.
            return extended ? std::optional<int>(pc_key::kRightCtrl) : std::nullopt;
        case vk::kPause:
            return pc_key::kPause;
        case vk::kScroll:
            return pc_key::kScrollLock;
        case vk::kPrint:
            return pc_key::kPrint;
        case vk::kAdd:
            return pc_key::kKeypadPlus;
        case vk::kSubtract:
            return pc_key::kKeypadMinus;
        case kCtrlP:
            return pc_key::kCtrlP;
        case kCtrlC:
            return pc_key::kCtrlC;
        case vk::kDivide:
            return pc_key::kKeypadDivide;
        case vk::kMultiply:
            return pc_key::kKeypadMultiply;
        default:
            return std::nullopt;
    }
}

}  // namespace kestrel
