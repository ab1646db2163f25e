// The listing of the "Keyboard Mapping" window: its line format, which lines of a
// mapping file it shows, and its 255 slots.
#include "mapping/key_mapping_listing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mapping/key_file.h"
#include "mapping/key_names.h"
#include "support/recording_ui.h"

namespace kestrel {
namespace {

using Lines = std::vector<std::string>;
using test_support::RecordingUi;

TEST(KeyMappingListing, LineFormat) {
    struct Case {
        const char* key;
        const char* function;
        const char* line;
    } cases[] = {
        {"f1", "PF1", " f1                   PF1"},
        {"F1", "PF13", " shift f1             PF13"},
        {"CF12", "SYSREQ", " ctrl shift f12       SYSREQ"},
        {"SHIFTESC", "ATTN", " shift ESC            ATTN"},
        {"CTRLP", "HARDCOPY", " ctrl P               HARDCOPY"},
        {"BACKSPACE", "LEFTDELETE", " BACKSPACE            LEFTDELETE"},
        {"PLUS", "-", " PLUS                 -"},
        {"f2", "Whatever", " f2                   Whatever"},          // the word as written
        {"NL", "NL", " NEWLINE              NL"},                      // NL is shown as NEWLINE
        {"twenty-characters-xx", "X", " twenty-characters-xx X"},      // exactly 20: no padding
        {"longer-than-twenty-chars", "X", " longer-than-twenty-c X"},  // cut at 20
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeyMappingListing::format(c.key, c.function), c.line) << c.key;
    }
}

TEST(KeyMappingListing, ShowsTheLinesThatNameAKeyInFileOrder) {
    KeyBindingTable table;
    RecordingUi ui;
    readKeyMapping(table,
                   "# TN3270 keyboard mapping file\n"
                   "F1 PF13\n"
                   "PF1 f1\n"          // syntax error: not listed
                   " f2 PF2\n"         // not considered: not listed
                   "f1 PF1 comment\n"  // the second word only
                   "PLUS -\n"
                   "f1 NOSUCH\n",  // listed as written, though it binds no function
                   ui);
    EXPECT_EQ(table.listing().lines(), (Lines{
                                           " shift f1             PF13",
                                           " f1                   PF1",
                                           " PLUS                 -",
                                           " f1                   NOSUCH",
                                       }));
}

TEST(KeyMappingListing, KeepsTheLast255LinesInTheirSlots) {
    // 300 valid lines over the 68 keys, each with its own function word.
    std::string file;
    for (int i = 1; i <= 300; ++i) {
        file += std::string(kPcKeys[i % kPcKeyCount].name) + " W" + std::to_string(i) + "\n";
    }
    KeyBindingTable table;
    RecordingUi ui;
    readKeyMapping(table, file, ui);
    EXPECT_TRUE(ui.calls.empty());

    const Lines lines = table.listing().lines();
    ASSERT_EQ(lines.size(), 255u);
    // Lines 256-300 took the slots of lines 1-45; lines 46-255 kept theirs.
    auto lineOf = [](int i) {
        return KeyMappingListing::format(kPcKeys[i % kPcKeyCount].name, "W" + std::to_string(i));
    };
    for (int slot = 0; slot < 255; ++slot) {
        const int line = slot < 45 ? 256 + slot : slot + 1;
        EXPECT_EQ(lines[slot], lineOf(line)) << "slot " << slot;
    }
    // Every key was bound by all of its lines; the last one holds (no such function).
    for (int code = 0; code < kPcKeyCount; ++code) {
        EXPECT_EQ(lookupKey(table, code), -1) << kPcKeys[code].name;
    }
}

TEST(KeyMappingListing, ExactlyFullThenOneMore) {
    KeyMappingListing listing;
    for (int i = 0; i < 255; ++i) {
        listing.add("f1", std::to_string(i));
    }
    Lines lines = listing.lines();
    ASSERT_EQ(lines.size(), 255u);
    EXPECT_EQ(lines.front(), KeyMappingListing::format("f1", "0"));
    EXPECT_EQ(lines.back(), KeyMappingListing::format("f1", "254"));

    listing.add("f2", "next");
    lines = listing.lines();
    ASSERT_EQ(lines.size(), 255u);
    EXPECT_EQ(lines.front(), KeyMappingListing::format("f2", "next"));
    EXPECT_EQ(lines[1], KeyMappingListing::format("f1", "1"));

    listing.clear();
    EXPECT_TRUE(listing.lines().empty());
    listing.add("f3", "again");  // starts at the first slot after a clear
    EXPECT_EQ(listing.lines(), Lines{KeyMappingListing::format("f3", "again")});
}

}  // namespace
}  // namespace kestrel
