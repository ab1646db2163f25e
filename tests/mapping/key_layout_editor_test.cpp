// The keyboard layout editor: which lines it lists, rebinding, the options, and a
// save that writes the exact format, reloads the bindings and never leaves a
// half-written file.
#include "mapping/key_layout_editor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "mapping/key_file.h"
#include "mapping/key_names.h"
#include "support/file_size_limit.h"
#include "support/key_bindings.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"

namespace kestrel {

void PrintTo(const KeyLayoutEntry& entry, std::ostream* out) {
    *out << "{\"" << entry.key << "\", \"" << entry.function << "\"}";
}

namespace {

namespace fs = std::filesystem;
using test_support::Bindings;
using test_support::boundKeys;
using test_support::RecordingUi;
using test_support::TempDir;
using Calls = std::vector<std::string>;
using Entries = std::vector<KeyLayoutEntry>;

const std::string kFixtures = std::string(KESTREL_FIXTURE_DIR) + "/mapping/";

int functionIndex(std::string_view name) {
    for (int i = 0; i < kHostFunctionCount; ++i) {
        if (kHostFunctions[i].name == name) {
            return i;
        }
    }
    return -1;
}

class KeyLayoutEditorTest : public ::testing::Test {
  protected:
    std::string openText(std::string_view text) {
        settings.keyname = dir.write("tnkeys.map", text);
        EXPECT_TRUE(editor.open());
        return settings.keyname;
    }

    TempDir dir;
    Settings settings;
    KeyBindingTable table;
    RecordingUi ui;
    KeyLayoutEditor editor{settings, table, ui};
};

TEST(KeyLayoutList, WhichLinesGiveEntries) {
    struct Case {
        std::string line;
        Entries expected;
    } cases[] = {
        {"f1 PF1\n", {{"f1", "PF1"}}},
        {"f1    PF1\n", {{"f1", "PF1"}}},
        {"f1\tPF1\n", {{"f1", "PF1"}}},  // the loader binds it, so it must survive a save
        {"f1 PF1\r\n", {{"f1", "PF1"}}},
        {"f1 PF1   \n", {{"f1", "PF1"}}},
        {"f1 PF1 rest of line\n", {{"f1", "PF1 rest of line"}}},
        {"PLUS -\n", {{"PLUS", "unused"}}},
        {"PLUS -x\n", {{"PLUS", "unused"}}},
        {"f1 x-\n", {{"f1", "x-"}}},
        {"f1 PF1", {{"f1", "PF1"}}},  // last line without a line end
        {"1 PF1\n", {{"1", "PF1"}}},  // any visible first character but '#'
        {"!x y\n", {{"!x", "y"}}},
        {"NL ENTER\n", {{"NL", "ENTER"}}},
        {"abcdefghijklmnopqrs PF1\n", {{"abcdefghijklmnopqrs", "PF1"}}},  // 19
        {"abcdefghijklmnopqrst PF1\n", {}},                               // 20
        {"f1 PF1 and four words here\n", {{"f1", "PF1"}}},  // over 19: what the loader reads
        {"f1 PF1\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\tx\n", {{"f1", "PF1"}}},
        {"f1 NOSUCHFUNCTIONNAME20\n", {{"f1", "unused"}}},
        {"f1 NOSUCHFUNCTIONNAME\n", {{"f1", "NOSUCHFUNCTIONNAME"}}},  // 18: kept
        {"f1 " + std::string(56, 'x') + "\n", {{"f1", "unused"}}},    // 60
        {"f1 " + std::string(57, 'x') + "\n", {}},                    // 61
        {"# f1 PF1\n", {}},
        {" f1 PF1\n", {}},
        {"\tf1 PF1\n", {}},
        {"\n", {}},
        {"f1\n", {}},
        {"f1   \n", {}},
        {"f1", {}},
        {std::string(79, 'x') + "f1 PF1\n", {}},  // the tail of an overlong line
    };
    for (const Case& c : cases) {
        std::istringstream in(c.line);
        EXPECT_EQ(readKeyLayoutList(in), c.expected) << "\"" << c.line << "\"";
    }
}

TEST(KeyLayoutList, ReadsAtMost100Entries) {
    std::string file = std::string(kKeyFileHeader);
    for (int i = 0; i < 120; ++i) {
        file += "f1 W" + std::to_string(i) + "\n# comment\n";
    }
    std::istringstream in(file);
    const Entries entries = readKeyLayoutList(in);
    ASSERT_EQ(entries.size(), 100u);
    EXPECT_EQ(entries.back(), (KeyLayoutEntry{"f1", "W99"}));
}

TEST(KeyLayoutList, WritesTheHeaderAndDashForNoFunction) {
    const Entries entries = {
        {"f1", "PF1"}, {"PLUS", "unused"}, {"MINUS", "unusedX"}, {"F1", "PF13 kept"}};
    EXPECT_EQ(formatKeyLayout(entries),
              "# TN3270 keyboard mapping file\nf1 PF1\nPLUS -\nMINUS -\nF1 PF13 kept\n");
    EXPECT_EQ(formatKeyLayout({}), "# TN3270 keyboard mapping file\n");
}

TEST_F(KeyLayoutEditorTest, SavesEntriesInOrderWithoutComments) {
    settings.keyname = dir.write("tnkeys.map", TempDir::read(kFixtures + "keys_editor_input.map"));
    ASSERT_TRUE(editor.open());
    EXPECT_EQ(editor.selected(), 0);
    EXPECT_EQ(
        editor.keyListTexts(),
        (std::vector<std::string>{"f1", "shift f1", "PLUS", "MINUS", "ESC", "HOME", "DEL", "f2",
                                  "NEWLINE", "1", "abcdefghijklmnopqrs", "f4", "PAUSE"}));
    ASSERT_TRUE(editor.save());
    EXPECT_EQ(TempDir::read(settings.keyname), TempDir::read(kFixtures + "keys_editor_saved.map"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

    // Reloaded from the saved file: the lines that name no key are reported again.
    EXPECT_EQ(ui.calls,
              (Calls{"text Syntax error in keyboard layout file: NL ENTER\n\n",
                     "text Syntax error in keyboard layout file: abcdefghijklmnopqrs PF5\n\n"}));
    EXPECT_EQ(boundKeys(table), (Bindings{{"f1", 0xF1},
                                          {"F1", 0xC1},
                                          {"PLUS", -1},
                                          {"MINUS", -1},
                                          {"ESC", 8},
                                          {"HOME", 15},
                                          {"DEL", 13},
                                          {"f2", 0xF2},
                                          {"f4", 0xF4},
                                          {"PAUSE", 0x6D}}));
    EXPECT_EQ(table.listing().size(), 10u);
}

TEST_F(KeyLayoutEditorTest, SaveKeepsEveryBindingTheLoaderReads) {
    const std::string file = std::string(kKeyFileHeader) +
                             "f1\tPF1\n"
                             "F1 PF13 trailing words\n"
                             "f2 PF2" +
                             std::string(53, ' ') +
                             "\n"  // 60 with its line end
                             "PLUS -\n"
                             "MINUS NOSUCH\r\n"
                             "HOME HOME " +
                             std::string(50, 'z') + '\0' +
                             "\n"  // 60 up to the NUL
                             "cf1 PA1 " +
                             std::string(52, 'z');  // 60, no line end

    openText(file);
    KeyBindingTable before;
    RecordingUi quiet;
    readKeyMapping(before, file, quiet);

    ASSERT_TRUE(editor.save());
    EXPECT_EQ(boundKeys(table), boundKeys(before));
    EXPECT_EQ(boundKeys(table).size(), 7u);
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(KeyLayoutEditorTest, RebindsTheSelectedKeyOnly) {
    const std::string path = openText("f1 PF1\nPLUS -\nF1 PF13\n");
    const std::string before = TempDir::read(path);
    EXPECT_EQ(editor.currentFunction(), "PF1");
    editor.select(1);
    EXPECT_EQ(editor.currentFunction(), "unused");
    editor.select(3);  // not in the list: the selection stays
    editor.assignFunction(functionIndex("REAL+"));
    EXPECT_EQ(editor.currentFunction(), "REAL+");
    editor.assignFunction(kHostFunctionCount);  // not in the list
    editor.assignFunction(-1);
    EXPECT_EQ(editor.entries(), (Entries{{"f1", "PF1"}, {"PLUS", "REAL+"}, {"F1", "PF13"}}));

    // Until saved, neither the file nor the bindings change ("Abort").
    EXPECT_EQ(TempDir::read(path), before);
    EXPECT_TRUE(boundKeys(table).empty());

    ASSERT_TRUE(editor.save());
    EXPECT_EQ(TempDir::read(path), "# TN3270 keyboard mapping file\nf1 PF1\nPLUS REAL+\nF1 PF13\n");
    EXPECT_EQ(boundKeys(table), (Bindings{{"f1", 0xF1}, {"PLUS", 19}, {"F1", 0xC1}}));
}

TEST_F(KeyLayoutEditorTest, SaveReplacesTheOldBindings) {
    openText("f1 PF1\n");
    RecordingUi quiet;
    readKeyMapping(table, "f2 PF2\nf3 PF3\n", quiet);  // loaded from an earlier file
    editor.assignFunction(functionIndex("CLEAR"));
    ASSERT_TRUE(editor.save());
    EXPECT_EQ(boundKeys(table), (Bindings{{"f1", 0x6D}}));
    EXPECT_EQ(table.listing().lines(), std::vector<std::string>{" f1                   CLEAR"});
}

TEST_F(KeyLayoutEditorTest, EmptyFileSavesTheHeaderOnly) {
    const std::string path = openText("# only a comment\n");
    EXPECT_EQ(editor.selected(), -1);
    EXPECT_EQ(editor.currentFunction(), "");
    editor.assignFunction(0);  // nothing to bind
    ASSERT_TRUE(editor.save());
    EXPECT_EQ(TempDir::read(path), "# TN3270 keyboard mapping file\n");
}

TEST_F(KeyLayoutEditorTest, OptionsComeFromAndGoToTheSettings) {
    settings.num_point = 1;
    settings.nocheck = 0;
    settings.shift_arrow = 1;
    openText("f1 PF1\n");
    EXPECT_TRUE(editor.numPoint);
    EXPECT_FALSE(editor.noCheck);
    EXPECT_TRUE(editor.shiftArrow);

    editor.numPoint = false;
    editor.noCheck = true;
    EXPECT_EQ(settings.num_point, 1);  // not before "Save to File"
    ASSERT_TRUE(editor.save());
    EXPECT_EQ(settings.num_point, 0);
    EXPECT_EQ(settings.nocheck, 1);
    EXPECT_EQ(settings.shift_arrow, 1);
}

TEST_F(KeyLayoutEditorTest, CannotOpenShowsMessage) {
    for (const std::string& path : {dir.file("missing.map"), dir.path().string()}) {
        SCOPED_TRACE(path);
        RecordingUi failing;
        Settings other;
        other.keyname = path;
        KeyLayoutEditor closed(other, table, failing);
        EXPECT_FALSE(closed.open());
        EXPECT_EQ(failing.calls, Calls{"message 32837"});
        EXPECT_TRUE(closed.entries().empty());
    }
}

using test_support::FileSizeLimit;

TEST_F(KeyLayoutEditorTest, FailedWriteKeepsTheOldFileAndBindings) {
    const std::string old = "# my keys\nf1 PF1\nf2 PF2\nf3 PF3\n";
    const std::string path = openText(old);
    RecordingUi quiet;
    readKeyMapping(table, old, quiet);
    editor.assignFunction(functionIndex("ERASEINPUT"));
    editor.shiftArrow = false;
    {
        FileSizeLimit limit(10);  // the new file needs more than 40 bytes
        ASSERT_TRUE(limit.active());
        EXPECT_FALSE(editor.save());
    }
    EXPECT_EQ(ui.calls, Calls{"message 32837"});
    EXPECT_EQ(TempDir::read(path), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    EXPECT_EQ(boundKeys(table), (Bindings{{"f1", 0xF1}, {"f2", 0xF2}, {"f3", 0xF3}}));
    EXPECT_EQ(settings.shift_arrow, 0);  // the options are stored all the same

    ui.calls.clear();
    ASSERT_TRUE(editor.save());  // the edits are still there to save
    EXPECT_EQ(TempDir::read(path),
              "# TN3270 keyboard mapping file\nf1 ERASEINPUT\nf2 PF2\nf3 PF3\n");
    EXPECT_EQ(lookupKey(table, 0), 3);
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(KeyLayoutEditorTest, VanishedDirectoryKeepsTheOldFile) {
    fs::create_directory(dir.path() / "keys");
    settings.keyname = dir.write("keys/tnkeys.map", "f1 PF1\n");
    ASSERT_TRUE(editor.open());
    fs::rename(dir.path() / "keys", dir.path() / "moved");
    dir.write("keys", "not a directory");

    editor.assignFunction(functionIndex("PF2"));
    EXPECT_FALSE(editor.save());
    EXPECT_EQ(ui.calls, Calls{"message 32837"});
    EXPECT_EQ(TempDir::read(dir.file("moved/tnkeys.map")), "f1 PF1\n");
    EXPECT_EQ(TempDir::read(dir.file("keys")), "not a directory");
}

}  // namespace
}  // namespace kestrel
