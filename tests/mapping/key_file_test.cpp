// Keyboard mapping files: which lines are considered, which bind, which are
// reported, and loading over the current table.
#include "mapping/key_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/messages.h"
#include "support/key_bindings.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using test_support::Bindings;
using test_support::boundKeys;
using test_support::RecordingUi;
using test_support::TempDir;

using Calls = std::vector<std::string>;
using namespace std::string_literals;

std::string syntaxError(const std::string& line) {
    return "text Syntax error in keyboard layout file: " + line + "\n";
}

TEST(KeyFileLines, BindReportOrSkip) {
    const std::string padded60 = "f1 PF1" + std::string(53, ' ') + "\n";  // 60 with line end
    const std::string padded61 = "f1 PF1" + std::string(54, ' ') + "\n";
    const std::string x79(79, 'x');
    struct Case {
        const char* what;
        std::string text;
        Bindings bound;
        Calls calls;
    } cases[] = {
        {"key first", "f1 PF1\n", {{"f1", 0xF1}}, {}},
        {"function first", "PF1 f1\n", {}, {syntaxError("PF1 f1\n")}},
        {"case tells keys apart", "F1 PF13\nf1 PF1\n", {{"F1", 0xC1}, {"f1", 0xF1}}, {}},
        {"key names are case-sensitive",
         "home HOME\nHOME HOME\n",
         {{"HOME", 15}},
         {syntaxError("home HOME\n")}},
        {"function names are case-sensitive", "f1 pf1\n", {{"f1", -1}}, {}},
        {"dash is no function", "PLUS -\n", {{"PLUS", -1}}, {}},
        {"unknown function", "MINUS NOSUCH\n", {{"MINUS", -1}}, {}},
        {"one word", "f1\n", {}, {syntaxError("f1\n")}},
        {"one word and blanks", "f1  \t \n", {}, {syntaxError("f1  \t \n")}},
        {"one word at the end", "f1", {}, {syntaxError("f1")}},
        {"more than two words", "f1 PF1 and a comment\n", {{"f1", 0xF1}}, {}},
        {"tab between the words", "f1\tPF1\n", {{"f1", 0xF1}}, {}},
        {"no line end", "f2 PF2", {{"f2", 0xF2}}, {}},
        {"CRLF line end", "f1 PF1\r\nPF1 f1\r\n", {{"f1", 0xF1}}, {syntaxError("PF1 f1\n")}},
        {"comment", "# f1 PF1\n", {}, {}},
        {"leading blank", " f1 PF1\n\tf1 PF1\n", {}, {}},
        {"leading digit or punctuation", "1 PF1\n@f1 PF1\n-f1 PF1\n", {}, {}},
        {"blank lines", "\n\n\r\n", {}, {}},
        {"first character above 127", "\xE9 PF1\n", {}, {}},
        {"letter-range punctuation is considered",
         "[f1 PF1\n~ PF1\n",
         {},
         {syntaxError("[f1 PF1\n"), syntaxError("~ PF1\n")}},
        {"60 characters with the line end", padded60, {{"f1", 0xF1}}, {}},
        {"61 characters", padded61, {}, {}},
        {"61 characters, not reported", "PF1 f1" + std::string(54, ' ') + "\n", {}, {}},
        {"tail of an overlong line", x79 + "f1 PF1\n" + x79 + x79 + "f2 PF2\n", {}, {}},
        {"line after an overlong line", x79 + "x\nf3 PF3\n", {{"f3", 0xF3}}, {}},
        {"later lines win", "f1 PF1\nf1 PF2\nf2 -\nf2 CLEAR\n", {{"f1", 0xF2}, {"f2", 0x6D}}, {}},
        {"a later dash unbinds", "f1 PF1\nf1 -\n", {{"f1", -1}}, {}},
        {"a bad line changes nothing", "f1 PF1\nf1\n", {{"f1", 0xF1}}, {syntaxError("f1\n")}},
        {"one message per bad line",
         "x y\nf1 PF1\nQ\n",
         {{"f1", 0xF1}},
         {syntaxError("x y\n"), syntaxError("Q\n")}},
        {"NUL ends the line", "f1 PF1\0junk\nf2\0 PF2\n"s, {{"f1", 0xF1}}, {syntaxError("f2")}},
        {"every kind of key",
         "cf1 PA1\nCF12 SYSREQ\nSHIFTESC ATTN\nCTRLC CLEAR\nENTER NL\n",
         {{"cf1", 0x6C}, {"CF12", 16}, {"SHIFTESC", 17}, {"CTRLC", 0x6D}, {"ENTER", 11}},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KeyBindingTable table;
        RecordingUi ui;
        readKeyMapping(table, c.text, ui);
        EXPECT_EQ(boundKeys(table), c.bound);
        EXPECT_EQ(ui.calls, c.calls);
    }
}

TEST(KeyFileLines, SyntaxErrorsWarn) {
    KeyBindingTable table;
    RecordingUi ui;
    readKeyMapping(table, "PF1 f1\n", ui);
    EXPECT_EQ(ui.icons, std::vector<MessageIcon>{MessageIcon::Warning});
}

TEST(KeyFile, LoadsOverTheCurrentBindings) {
    TempDir dir;
    RecordingUi ui;
    KeyBindingTable table;
    table.bind(0, 0xF1);
    table.bind(1, 0xF2);
    ASSERT_TRUE(loadKeyFile(table, dir.write("tnkeys.map", "f2 PF9\nF1 PF13\n"), ui));
    EXPECT_EQ(boundKeys(table), (Bindings{{"f1", 0xF1}, {"f2", 0xF9}, {"F1", 0xC1}}));
    EXPECT_TRUE(ui.calls.empty());
}

TEST(KeyFile, CannotOpenLeavesTheTableUnchanged) {
    TempDir dir;
    for (const std::string& path : {dir.file("missing.map"), dir.path().string(), std::string()}) {
        SCOPED_TRACE(path);
        RecordingUi ui;
        KeyBindingTable table;
        readKeyMapping(table, "f1 PF1\n", ui);
        EXPECT_FALSE(loadKeyFile(table, path, ui));
        EXPECT_EQ(ui.calls, Calls{"message 32837"});
        EXPECT_EQ(boundKeys(table), (Bindings{{"f1", 0xF1}}));
        EXPECT_EQ(table.listing().size(), 1u);
    }
}

TEST(KeyFile, MessageTexts) {
    EXPECT_EQ(keySyntaxErrorText("PF1 f1\n"), "Syntax error in keyboard layout file: PF1 f1\n\n");
    EXPECT_STREQ(messageText(32837),
                 "Cannot open the keyboard layout file. Check menu - settings - language.");
}

TEST(KeyBindingTable, ClearAndLookup) {
    KeyBindingTable table;
    RecordingUi ui;
    readKeyMapping(table, "f1 PF1\nPLUS -\n", ui);
    EXPECT_EQ(lookupKey(table, 0), 0xF1);
    EXPECT_EQ(lookupKey(table, 61), -1);
    EXPECT_EQ(lookupKey(table, 62), 0);  // never bound: the keypad key types its character
    // Codes outside the table are never bound rather than read past its end.
    EXPECT_EQ(lookupKey(table, -1), 0);
    EXPECT_EQ(lookupKey(table, 256), 0);
    table.bind(256, 0xF1);
    table.bind(-1, 0xF1);
    EXPECT_EQ(boundKeys(table), (Bindings{{"f1", 0xF1}, {"PLUS", -1}}));

    clearKeyBindings(table);
    EXPECT_TRUE(boundKeys(table).empty());
    EXPECT_TRUE(table.listing().lines().empty());
}

}  // namespace
}  // namespace kestrel
