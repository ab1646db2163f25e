// The names on both sides of a key binding: codes, display names, case, and the
// key events that reach each slot.
#include "mapping/key_names.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

namespace kestrel {
namespace {

TEST(KeyNames, KeyCodesAreDistinctTableIndexes) {
    std::set<std::string_view> names;
    for (int i = 0; i < kPcKeyCount; ++i) {
        EXPECT_EQ(kPcKeys[i].code, i) << kPcKeys[i].name;
        EXPECT_TRUE(names.insert(kPcKeys[i].name).second) << kPcKeys[i].name;
        EXPECT_LE(kPcKeys[i].displayName.size(), 20u) << kPcKeys[i].name;
    }
}

TEST(KeyNames, FunctionCodesAreAidsOrLocalFunctions) {
    std::set<std::string_view> names;
    std::set<int> codes;
    for (const HostFunction& function : kHostFunctions) {
        EXPECT_TRUE(names.insert(function.name).second) << function.name;
        EXPECT_TRUE(codes.insert(function.code).second) << function.name;
        EXPECT_TRUE(function.code > 24 || (function.code >= 1 && function.code <= 22))
            << function.name;
    }
    // The editor's list order starts with the PF keys and ends with the REAL keys.
    EXPECT_EQ(kHostFunctions.front().name, "PF1");
    EXPECT_EQ(kHostFunctions[24].name, "ATTN");
    EXPECT_EQ(kHostFunctions[25].name, "SYSREQ");
    EXPECT_EQ(kHostFunctions[26].name, "INSERT");
    EXPECT_EQ(kHostFunctions.back().name, "REAL/");
}

TEST(KeyNames, NamesMatchExactly) {
    struct Case {
        const char* name;
        int code;  // -1: no such key
    } keys[] = {
        {"f1", 0},      {"f12", 11},    {"F1", 12},       {"F12", 23},      {"cf1", 24},
        {"cf12", 35},   {"CF1", 36},    {"CF12", 47},     {"HOME", 48},     {"ESC", 52},
        {"RETURN", 53}, {"ENTER", 54},  {"CTRL", 57},     {"PLUS", 61},     {"CTRLP", 63},
        {"CTRLC", 64},  {"DIVIDE", 65}, {"MULTIPLY", 66}, {"SHIFTESC", 67}, {"Home", -1},
        {"home", -1},   {"f13", -1},    {"F0", -1},       {"cF1", -1},      {"Cf1", -1},
        {"f1 ", -1},    {"", -1},       {"PF1", -1},      {"ctrl f1", -1},  {"NL", -1},
    };
    for (const Case& c : keys) {
        const PcKey* key = findPcKey(c.name);
        EXPECT_EQ(key == nullptr ? -1 : key->code, c.code) << "\"" << c.name << "\"";
    }

    struct FunctionCase {
        const char* name;
        int code;  // -1: no such function
    } functions[] = {
        {"PF1", 0xF1},   {"PF9", 0xF9},   {"PF10", 0x7A}, {"PF12", 0x7C},   {"PF13", 0xC1},
        {"PF21", 0xC9},  {"PF22", 0x4A},  {"PF24", 0x4C}, {"ATTN", 17},     {"SYSREQ", 16},
        {"CLEAR", 0x6D}, {"ENTER", 0x7D}, {"RESET", 8},   {"NL", 11},       {"ERASEEOF", 12},
        {"PA1", 0x6C},   {"PA2", 0x6E},   {"PA3", 0x6B},  {"HARDCOPY", 18}, {"REAL+", 19},
        {"REAL/", 22},   {"pf1", -1},     {"Enter", -1},  {"-", -1},        {"PF25", -1},
        {"PF01", -1},    {"", -1},
    };
    for (const FunctionCase& c : functions) {
        const HostFunction* function = findHostFunction(c.name);
        EXPECT_EQ(function == nullptr ? -1 : function->code, c.code) << "\"" << c.name << "\"";
    }
    EXPECT_EQ(findHostFunction(0xF1)->name, "PF1");
    EXPECT_EQ(findHostFunction(0), nullptr);
    EXPECT_EQ(findHostFunction(-1), nullptr);
}

TEST(KeyNames, DisplayNames) {
    struct Case {
        const char* word;
        const char* shown;
    } cases[] = {
        {"f1", "f1"},
        {"f12", "f12"},
        {"F1", "shift f1"},
        {"F12", "shift f12"},
        {"cf1", "ctrl f1"},
        {"cf10", "ctrl f10"},
        {"CF1", "ctrl shift f1"},
        {"CF12", "ctrl shift f12"},
        {"CTRLP", "ctrl P"},
        {"CTRLC", "ctrl C"},
        {"SHIFTESC", "shift ESC"},
        {"ESC", "ESC"},
        {"PGDN", "PGDN"},
        {"NL", "NEWLINE"},  // NL can only come from the editor's list
        {"nosuchkey", "nosuchkey"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(keyDisplayName(c.word), c.shown) << c.word;
    }
}

TEST(KeyNames, KeyEventsReachTheirSlots) {
    constexpr int kExtended = 0x100;
    struct Case {
        int virtualKey;
        bool ctrl;
        bool shift;
        int flags;
        std::optional<int> slot;
    } cases[] = {
        {0x70, false, false, 0, 0},           // F1
        {0x7B, false, false, 0, 11},          // F12
        {0x70, false, true, 0, 12},           // Shift+F1
        {0x7B, false, true, 0, 23},           // Shift+F12
        {0x70, true, false, 0, 24},           // Ctrl+F1
        {0x72, true, false, 0, 26},           // Ctrl+F3
        {0x70, true, true, 0, 36},            // Ctrl+Shift+F1
        {0x7B, true, true, 0, 47},            // Ctrl+Shift+F12
        {0x7C, false, false, 0, {}},          // F13 is not bindable
        {0x6F, false, false, 0, 65},          // keypad /
        {0x24, false, false, 0, 48},          // Home
        {0x24, true, true, 0, 48},            // modifiers do not matter outside the F keys
        {0x23, false, false, 0, 49},          // End
        {0x21, false, false, 0, 50},          // Page Up
        {0x22, false, false, 0, 51},          // Page Down
        {0x1B, false, false, 0, 52},          // Escape
        {0x1B, true, false, 0, 52},           // Ctrl+Escape: still without Shift
        {0x1B, false, true, 0, 67},           // Shift+Escape
        {0x0D, false, false, 0, 53},          // the main Enter key
        {0x0D, false, false, kExtended, 54},  // the keypad Enter key
        {0x08, false, false, 0, 55},          // Backspace
        {0x2E, false, false, 0, 56},          // Delete
        {0x11, true, false, kExtended, 57},   // the right-hand Ctrl key
        {0x11, true, false, 0, {}},           // the left-hand one is a modifier only
        {0x13, false, false, 0, 58},          // Pause
        {0x91, false, false, 0, 59},          // Scroll Lock
        {0x2C, false, false, 0, 60},          // Print Screen
        {0x6B, false, false, 0, 61},          // keypad +
        {0x6D, false, false, 0, 62},          // keypad -
        {0x1070, true, false, 0, 63},         // Ctrl+P
        {0x1063, true, false, 0, 64},         // Ctrl+C
        {0x6A, false, false, 0, 66},          // keypad *
        {0x09, false, false, 0, {}},          // Tab goes to the keyboard actions directly
        {0x2D, false, false, 0, {}},          // Insert
        {0x41, false, false, 0, {}},          // a letter
        {0x25000, false, false, 0, {}},       // the cursor left key
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pcKeyForKeyEvent(c.virtualKey, c.ctrl, c.shift, c.flags), c.slot)
            << std::hex << c.virtualKey << " ctrl " << c.ctrl << " shift " << c.shift;
    }
}

}  // namespace
}  // namespace kestrel
