// The supplied tnkeys.map: it loads without a message, binds what a 3270 user
// expects, names only real functions, and reads back the same after the editor.
#include <gtest/gtest.h>

#include <string>

#include "mapping/key_file.h"
#include "mapping/key_layout_editor.h"
#include "support/key_bindings.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using test_support::Bindings;
using test_support::boundKeys;
using test_support::RecordingUi;
using test_support::TempDir;

const std::string kSupplied = std::string(KESTREL_SOURCE_DATA_DIR) + "/tnkeys.map";

TEST(KeySuppliedMap, BindsTheUsualKeys) {
    KeyBindingTable table;
    RecordingUi ui;
    ASSERT_TRUE(loadKeyFile(table, kSupplied, ui));
    EXPECT_TRUE(ui.calls.empty());

    Bindings expected;
    const int pf[] = {0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0x7A, 0x7B, 0x7C,
                      0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0x4A, 0x4B, 0x4C};
    for (int i = 0; i < 12; ++i) {
        expected["f" + std::to_string(i + 1)] = pf[i];       // PF1-PF12
        expected["F" + std::to_string(i + 1)] = pf[i + 12];  // PF13-PF24
    }
    expected["cf1"] = 0x6C;  // PA1
    expected["cf2"] = 0x6E;  // PA2
    expected["cf3"] = 0x6B;  // PA3
    expected["RETURN"] = 0x7D;
    expected["ENTER"] = 0x7D;
    expected["ESC"] = 8;        // RESET
    expected["SHIFTESC"] = 17;  // ATTN
    expected["PAUSE"] = 0x6D;   // CLEAR
    expected["HOME"] = 15;
    expected["END"] = 12;        // ERASEEOF
    expected["DEL"] = 13;        // DELETE
    expected["BACKSPACE"] = 14;  // LEFTDELETE
    expected["PGUP"] = 0xF7;
    expected["PGDN"] = 0xF8;
    expected["PRINT"] = 18;  // HARDCOPY
    expected["CTRLP"] = 18;
    EXPECT_EQ(boundKeys(table), expected);

    // The keypad operator keys keep typing their characters.
    for (const char* key : {"PLUS", "MINUS", "MULTIPLY", "DIVIDE"}) {
        EXPECT_EQ(lookupKey(table, findPcKey(key)->code), kKeyNeverBound) << key;
    }
}

TEST(KeySuppliedMap, StartsWithTheHeaderAndSurvivesTheEditor) {
    const std::string text = TempDir::read(kSupplied);
    ASSERT_EQ(text.substr(0, kKeyFileHeader.size()), kKeyFileHeader);

    KeyBindingTable supplied;
    RecordingUi ui;
    readKeyMapping(supplied, text, ui);

    TempDir dir;
    Settings settings;
    settings.keyname = dir.write("tnkeys.map", text);
    KeyBindingTable table;
    KeyLayoutEditor editor(settings, table, ui);
    ASSERT_TRUE(editor.open());
    ASSERT_TRUE(editor.save());
    EXPECT_EQ(boundKeys(table), boundKeys(supplied));
    EXPECT_EQ(table.listing().lines(), supplied.listing().lines());
    EXPECT_TRUE(ui.calls.empty());
}

}  // namespace
}  // namespace kestrel
