// The line-mode teletype: control bytes, tab stops, wrap, scroll, the cursor
// address it leaves, and bytes from 128 up.
#include "net/line_mode_display.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/vt.h"
#include "support/recording_ui.h"

namespace kestrel {
namespace {

std::string padded(const std::string& text) {
    return text + std::string(80 - text.size(), ' ');
}

class LineModeDisplayTest : public ::testing::Test {
  protected:
    void write(const std::string& text) { display.write(text, engine); }

    Settings settings;
    DisplayImage image;
    test_support::RecordingUi ui;
    vt engine{settings, image, ui};
    LineModeDisplay display;
};

TEST(LineModeDisplayRunTest, MovesTheCursorByControlBytes) {
    struct Case {
        const char* name;
        std::string input;
        int row;
        int column;
        std::vector<std::string> rows;  // from row 1
    };
    const std::string x72(72, 'x');
    const std::vector<Case> cases = {
        {"text, CR LF, text", "AB\r\nC", 2, 2, {"AB", "C"}},
        {"LF keeps the column", "AB\nC", 2, 4, {"AB", "  C"}},
        {"BS steps back over a character", "AB\bC", 1, 3, {"AC"}},
        {"BS at column 1 stays", "\b\bA", 1, 2, {"A"}},
        {"TAB from column 1 to the first stop", "\tA", 1, 10, {"        A"}},
        {"TAB from a stop to the next", "\t\tA", 1, 18, {"                A"}},
        {"TAB from just before a stop", "1234567\tA", 1, 10, {"1234567 A"}},
        {"TAB from column 73 stops one short of the last column",
         x72 + "\tA",
         1,
         80,
         {x72 + "      A"}},
        {"TAB at the last column steps back", x72 + "1234567\tA", 1, 80, {x72 + "123456A"}},
        {"character in column 80 wraps to the next row",
         std::string(80, 'y') + "Z",
         2,
         2,
         {std::string(80, 'y'), "Z"}},
        {"other control bytes are characters",
         std::string("a\x0b\x0c\x00z", 5),
         1,
         6,
         {std::string("a\x0b\x0c\x00z", 5)}},
    };
    for (const Case& c : cases) {
        DisplayImage fresh;
        LineModeDisplay display;
        const int address =
            display.write(reinterpret_cast<const uint8_t*>(c.input.data()), c.input.size(), fresh);
        EXPECT_EQ(display.row(), c.row) << c.name;
        EXPECT_EQ(display.column(), c.column) << c.name;
        EXPECT_EQ(address, (c.row - 1) * 80 + (c.column - 1)) << c.name;
        for (size_t i = 0; i < c.rows.size(); ++i) {
            EXPECT_EQ(fresh.rowText(int(i) + 1), padded(c.rows[i])) << c.name << " row " << i + 1;
        }
    }
}

TEST_F(LineModeDisplayTest, WritesBytesFrom128UpAsPlainCharacters) {
    const uint8_t bytes[] = {0x80, 0xE9, 0xFF};
    display.write(bytes, sizeof bytes, engine);
    EXPECT_EQ(image.cell(1, 1), 0x80u);
    EXPECT_EQ(image.cell(1, 2), 0xE9u);
    EXPECT_EQ(image.cell(1, 3), 0xFFu);
    EXPECT_EQ(engine.cursorAddress, 3);
}

TEST_F(LineModeDisplayTest, ScrollsWhenTheRowPassesTheLastRow) {
    for (int line = 1; line <= 24; ++line) {
        write("line " + std::to_string(line) + "\r\n");
    }
    // The LF after line 24 scrolled once: line 1 is gone, the last row is blank.
    EXPECT_EQ(image.rowText(1), padded("line 2"));
    EXPECT_EQ(image.rowText(23), padded("line 24"));
    EXPECT_EQ(image.rowText(24), padded(""));
    EXPECT_EQ(display.row(), 24);
    EXPECT_EQ(engine.cursorAddress, 23 * 80);
    for (int row = 1; row <= 24; ++row) {
        EXPECT_TRUE(image.isRowDirty(row)) << row;
    }

    // Wrapping off the last column of the last row scrolls as well.
    write(std::string(80, 'w') + "v");
    EXPECT_EQ(image.rowText(22), padded("line 24"));
    EXPECT_EQ(image.rowText(23), std::string(80, 'w'));
    EXPECT_EQ(image.rowText(24), padded("v"));
    EXPECT_EQ(engine.cursorAddress, 23 * 80 + 1);
}

TEST_F(LineModeDisplayTest, FollowsTheNumberOfRowsOnTheScreen) {
    engine.resize(32);
    for (int line = 1; line <= 30; ++line) {
        write("\n");
    }
    write("thirty-one");
    EXPECT_EQ(engine.cursorAddress, 30 * 80 + 10);

    // Back to 24 rows: the text goes on at the last visible row, not below it.
    engine.resize(24);
    write("!");
    EXPECT_EQ(display.row(), 24);
    EXPECT_EQ(image.rowText(24), padded("          !"));
    EXPECT_EQ(engine.cursorAddress, 23 * 80 + 11);
}

TEST_F(LineModeDisplayTest, EmptyRunKeepsTheCursorAndSetsTheAddress) {
    write("abc");
    engine.cursorAddress = 999;
    display.write(nullptr, 0, engine);
    EXPECT_EQ(engine.cursorAddress, 3);
}

}  // namespace
}  // namespace kestrel
