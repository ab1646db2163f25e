// The EBCDIC translation editor: which lines it lists, what it shows, the edits,
// and a save that writes the exact format and never leaves a half-written file.
#include "mapping/ebcdic_editor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/file_size_limit.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using test_support::RecordingUi;
using test_support::TempDir;

const std::string kFixtures = std::string(KESTREL_FIXTURE_DIR) + "/mapping/";

class EbcdicEditorTest : public ::testing::Test {
  protected:
    // A copy of a fixture in the temporary directory, opened in the editor.
    std::string openCopy(const std::string& fixture) {
        const std::string path = dir.write("ebcdic.map", TempDir::read(kFixtures + fixture));
        EXPECT_TRUE(editor.open(path));
        return path;
    }
    std::string openText(std::string_view text) {
        const std::string path = dir.write("ebcdic.map", text);
        EXPECT_TRUE(editor.open(path));
        return path;
    }
    std::vector<std::string> ebcdicList() const {
        std::vector<std::string> texts;
        for (const EbcdicPair& pair : editor.pairs()) {
            texts.push_back(ebcdicListText(pair.ebcdic) + "=" + std::to_string(pair.ascii));
        }
        return texts;
    }

    TempDir dir;
    CodePageTable table;
    RecordingUi ui;
    EbcdicEditor editor{table, ui};
};

// A file of COUNT pairs 00 01, 01 02, ... (values wrap at 256).
std::string numberedPairs(int count) {
    std::vector<EbcdicPair> pairs;
    for (int i = 0; i < count; ++i) {
        pairs.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(i + 1)});
    }
    return formatEbcdicMapping(pairs);
}

TEST_F(EbcdicEditorTest, CannotOpenShowsMessageOnce) {
    for (const std::string& path : {dir.file("missing.map"), dir.path().string()}) {
        RecordingUi failing;
        EbcdicEditor other(table, failing);
        EXPECT_FALSE(other.open(path)) << path;
        EXPECT_EQ(failing.calls, std::vector<std::string>{"message 32808"});
        EXPECT_TRUE(other.pairs().empty());
        EXPECT_FALSE(other.save());  // nothing was opened, nothing is written
    }
}

TEST_F(EbcdicEditorTest, SavesTheListedLinesInTheWrittenFormat) {
    const std::string path = openCopy("editor_input.map");
    EXPECT_EQ(editor.selected(), 0);
    EXPECT_EQ(editor.pairs().size(), 9u);
    ASSERT_TRUE(editor.save());
    EXPECT_EQ(TempDir::read(path), TempDir::read(kFixtures + "editor_saved.map"));
    EXPECT_TRUE(ui.calls.empty());

    // The tables were loaded from the saved file, which no longer names C3 or C6.
    EXPECT_EQ(table.toAscii(0xC1), 0x34);
    EXPECT_EQ(table.toAscii(0x4A), 0x5D);
    EXPECT_EQ(table.toEbcdic(0x5B), 0x4A);
    EXPECT_EQ(table.toAscii(0xC3), 0x20);
    EXPECT_EQ(table.toAscii(0xC6), 0x20);
    EXPECT_EQ(table.toAscii(0xF0), 0x30);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(EbcdicEditorTexts, ShowControlCharactersAsBlanks) {
    EXPECT_EQ(ebcdicListText(0xC1), "0xc1");
    EXPECT_EQ(ebcdicListText(0x0A), "0xa");
    EXPECT_EQ(ebcdicListText(0x00), "0x0");
    struct Case {
        uint8_t ascii;
        const char* list;
        const char* current;
    } cases[] = {
        {0x41, "0x41\t[A]", "0x41  [A]"},       {0x21, "0x21\t[!]", "0x21  [!]"},
        {0x20, "0x20\t[ ]", "0x20  [ ]"},       {0x0A, "0xa\t[ ]", "0xa  [ ]"},
        {0x00, "0x0\t[ ]", "0x0  [ ]"},         {0xE9, "0xe9\t[\xe9]", "0xe9  [\xe9]"},
        {0xFF, "0xff\t[\xff]", "0xff  [\xff]"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(asciiListText(c.ascii), c.list) << int(c.ascii);
        EXPECT_EQ(currentMappingText(c.ascii), c.current) << int(c.ascii);
    }
}

TEST_F(EbcdicEditorTest, AssignsToTheSelectedPairOnly) {
    const std::string path = openText("c1 41\nc2 42\n");
    const std::string before = TempDir::read(path);
    EXPECT_EQ(editor.currentMappingText(), "0x41  [A]");
    editor.select(1);
    EXPECT_EQ(editor.currentMappingText(), "0x42  [B]");
    editor.select(2);  // not in the list: selection stays
    editor.assignAscii(0x5A);
    EXPECT_EQ(ebcdicList(), (std::vector<std::string>{"0xc1=65", "0xc2=90"}));
    EXPECT_EQ(editor.currentMappingText(), "0x5a  [Z]");

    // Until saved, neither the file nor the tables change ("Abort").
    EXPECT_EQ(TempDir::read(path), before);
    EXPECT_EQ(table.toAscii(0xC2), 0x20);
}

TEST_F(EbcdicEditorTest, InsertTakesAHexValueOrRefusesIt) {
    struct Case {
        const char* text;
        int caret;
        std::vector<std::string> expected;  // empty: refused with message 32864
    } cases[] = {
        {"c3", 0, {"0xc3=0", "0xc1=65", "0xc2=66"}},
        {"C3", 1, {"0xc1=65", "0xc3=0", "0xc2=66"}},
        {"f", 2, {"0xc1=65", "0xc2=66", "0xf=0"}},
        {" 7", 9, {"0xc1=65", "0xc2=66", "0x7=0"}},  // caret past the end: appended
        {"ff", 0, {"0xff=0", "0xc1=65", "0xc2=66"}},
        {"zz", 0, {}},
        {"", 0, {}},
        {"  ", 0, {}},
        {"100", 0, {}},
        {"-1", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        ui.calls.clear();
        openText("c1 41\nc2 42\n");
        const bool inserted = editor.insertPair(c.text, c.caret);
        if (c.expected.empty()) {
            EXPECT_FALSE(inserted);
            EXPECT_EQ(ui.calls, std::vector<std::string>{"message 32864"});
            EXPECT_EQ(ebcdicList(), (std::vector<std::string>{"0xc1=65", "0xc2=66"}));
        } else {
            EXPECT_TRUE(inserted);
            EXPECT_TRUE(ui.calls.empty());
            EXPECT_EQ(ebcdicList(), c.expected);
            EXPECT_EQ(editor.currentMappingText(), "0x0  [ ]");  // the new pair is selected
        }
    }
}

TEST_F(EbcdicEditorTest, KeepsAtMost256Pairs) {
    openText(numberedPairs(300));
    ASSERT_EQ(editor.pairs().size(), 256u);
    EXPECT_EQ(editor.pairs().back(), (EbcdicPair{0xFF, 0x00}));

    ASSERT_TRUE(editor.insertPair("ab", 10));
    ASSERT_EQ(editor.pairs().size(), 256u);
    EXPECT_EQ(editor.pairs()[10], (EbcdicPair{0xAB, 0}));
    EXPECT_EQ(editor.pairs()[11], (EbcdicPair{10, 11}));
    EXPECT_EQ(editor.pairs().back(), (EbcdicPair{0xFE, 0xFF}));  // 0xff 0x00 was pushed out

    const std::vector<EbcdicPair> full = editor.pairs();
    EXPECT_TRUE(editor.insertPair("ab", 256));  // at the end of a full list: lost at once
    EXPECT_EQ(editor.pairs(), full);
}

TEST_F(EbcdicEditorTest, DeleteMovesTheRestUp) {
    openText("c1 41\nc2 42\nc3 43\n");
    editor.deletePair(3);
    editor.deletePair(-1);
    EXPECT_EQ(editor.pairs().size(), 3u);

    editor.select(2);
    editor.deletePair(1);
    EXPECT_EQ(ebcdicList(), (std::vector<std::string>{"0xc1=65", "0xc3=67"}));
    EXPECT_EQ(editor.selected(), 1);
    editor.deletePair(1);
    EXPECT_EQ(editor.selected(), 0);
    editor.deletePair(0);
    EXPECT_TRUE(editor.pairs().empty());
    EXPECT_EQ(editor.selected(), -1);
    EXPECT_EQ(editor.currentMappingText(), "");
    editor.assignAscii(0x41);  // nothing to assign to
    EXPECT_TRUE(editor.pairs().empty());

    ASSERT_TRUE(editor.save());
    EXPECT_EQ(TempDir::read(dir.file("ebcdic.map")), "# TN3270 ebcdic mapping file\n");
}

TEST_F(EbcdicEditorTest, SaveKeepsPermissionsAndSymbolicLinks) {
    const std::string real = dir.write("real.map", "c1 41\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const std::string link = dir.file("ebcdic.link");
    fs::create_symlink(real, link);

    ASSERT_TRUE(editor.open(link));
    editor.assignAscii(0x61);
    ASSERT_TRUE(editor.save());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(TempDir::read(real), "# TN3270 ebcdic mapping file\nc1 61\n");
    EXPECT_EQ(fs::status(real).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(table.toAscii(0xC1), 0x61);
}

using test_support::FileSizeLimit;

TEST_F(EbcdicEditorTest, FailedWriteLeavesTheOldFileIntact) {
    const std::string old = numberedPairs(20);
    const std::string path = openText(old);
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(editor.insertPair("ab", 0));
    }
    {
        FileSizeLimit limit(old.size() + 100);  // the new file is about 1500 bytes
        ASSERT_TRUE(limit.active());
        EXPECT_FALSE(editor.save());
    }
    EXPECT_EQ(ui.calls, std::vector<std::string>{"message 32808"});
    EXPECT_EQ(TempDir::read(path), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    EXPECT_EQ(table.toAscii(0xAB), 0x20);  // tables not reloaded

    ui.calls.clear();
    ASSERT_TRUE(editor.save());  // the edits are still there to save
    EXPECT_EQ(editor.pairs().size(), 220u);
    EXPECT_EQ(TempDir::read(path), formatEbcdicMapping(editor.pairs()));
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(EbcdicEditorTest, VanishedDirectoryLeavesTheOldFileIntact) {
    fs::create_directory(dir.path() / "maps");
    const std::string path = dir.write("maps/ebcdic.map", "c1 41\n");
    ASSERT_TRUE(editor.open(path));
    fs::rename(dir.path() / "maps", dir.path() / "moved");
    dir.write("maps", "not a directory");

    editor.assignAscii(0x61);
    EXPECT_FALSE(editor.save());
    EXPECT_EQ(ui.calls, std::vector<std::string>{"message 32808"});
    EXPECT_EQ(TempDir::read(dir.file("moved/ebcdic.map")), "c1 41\n");
    EXPECT_EQ(TempDir::read(dir.file("maps")), "not a directory");
    EXPECT_EQ(table.toAscii(0xC1), 0x20);
}

}  // namespace
}  // namespace kestrel
