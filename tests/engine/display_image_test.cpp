// Display image: cell storage, dirty marks, clear, scroll up and the guard
// against positions outside the grid.
#include "engine/display_image.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "engine/display_cell.h"

namespace kestrel {
namespace {

constexpr uint32_t kBlank = 0x20;

// Counts the cells of the whole grid (row and column 0 included) that carry a
// cell-dirty mark.
int dirtyCellCount(const DisplayImage& image) {
    int count = 0;
    for (int row = 0; row < DisplayImage::kRows; ++row) {
        for (int column = 0; column < DisplayImage::kColumns; ++column) {
            count += image.isCellDirty(row, column) ? 1 : 0;
        }
    }
    return count;
}

int dirtyRowCount(const DisplayImage& image) {
    int count = 0;
    for (int row = 0; row < DisplayImage::kRows; ++row) {
        count += image.isRowDirty(row) ? 1 : 0;
    }
    return count;
}

// What the painter does: every mark is cleared.
void paint(DisplayImage& image) {
    for (int row = 0; row < DisplayImage::kRows; ++row) {
        image.clearRowDirty(row);
        for (int column = 0; column < DisplayImage::kColumns; ++column) {
            image.clearCellDirty(row, column);
        }
    }
}

// A value that differs for every visible position and carries flags, so a
// cell moved to the wrong place or losing its flags shows.
uint32_t sample(int row, int column) {
    return uint32_t('A' + (row + column) % 26) | display::colour(uint32_t(row % 7 + 1)) |
           (column % 2 ? display::Underscore : display::Intensified);
}

void fillVisible(DisplayImage& image) {
    for (int row = 1; row <= image.visibleRows(); ++row) {
        for (int column = 1; column <= DisplayImage::kScreenColumns; ++column) {
            image.writeCell(row, column, sample(row, column));
        }
    }
}

TEST(DisplayImageTest, StartsClearedWithTwentyFourRows) {
    DisplayImage image;
    EXPECT_EQ(image.visibleRows(), 24);
    for (int row = 0; row < DisplayImage::kRows; ++row) {
        for (int column = 0; column < DisplayImage::kColumns; ++column) {
            ASSERT_EQ(image.cell(row, column), kBlank) << row << "," << column;
        }
    }
    EXPECT_EQ(image.rowText(1), std::string(80, ' '));
    EXPECT_EQ(dirtyCellCount(image), 0);
    for (int row = 0; row < DisplayImage::kRows; ++row) {
        EXPECT_EQ(image.isRowDirty(row), row >= 1 && row <= 24) << row;
    }
}

TEST(DisplayImageTest, WriteMarksCellAndRowOnlyWhenTheValueChanges) {
    struct Case {
        const char* name;
        uint32_t before;
        uint32_t written;
        bool dirty;
    };
    const Case cases[] = {
        {"same blank", kBlank, kBlank, false},
        {"same flagged value", 'A' | display::Reverse, 'A' | display::Reverse, false},
        {"new character", 'A', 'B', true},
        {"same character, new flags", kBlank, kBlank | display::Protected, true},
        {"flags only removed", 'A' | display::Cursor, 'A', true},
        {"to null", kBlank, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DisplayImage image;
        image.writeCell(5, 7, c.before);
        paint(image);

        image.writeCell(5, 7, c.written);
        EXPECT_EQ(image.cell(5, 7), c.written);
        EXPECT_EQ(image.isCellDirty(5, 7), c.dirty);
        EXPECT_EQ(image.isRowDirty(5), c.dirty);
        // Nothing else is touched.
        EXPECT_EQ(dirtyCellCount(image), c.dirty ? 1 : 0);
        EXPECT_EQ(dirtyRowCount(image), c.dirty ? 1 : 0);
    }
}

TEST(DisplayImageTest, RewritingAPaintedCellLeavesItClean) {
    DisplayImage image;
    fillVisible(image);
    paint(image);
    fillVisible(image);
    EXPECT_EQ(dirtyCellCount(image), 0);
    EXPECT_EQ(dirtyRowCount(image), 0);
}

TEST(DisplayImageTest, RowTextIsTheCharactersOfColumnsOneToEighty) {
    DisplayImage image;
    image.writeCell(3, 0, 'X');  // column 0 is never shown
    image.writeCell(3, 1, 'H' | display::Intensified | display::colour(7));
    image.writeCell(3, 2, 'i' | display::Protected | display::Formatted);
    image.writeCell(3, 80, 'Z' | display::Cursor | display::Selected);
    image.writeCell(3, 40, 0xC5);  // an 8-bit display character stays one byte
    std::string expected(80, ' ');
    expected[0] = 'H';
    expected[1] = 'i';
    expected[39] = char(0xC5);
    expected[79] = 'Z';
    EXPECT_EQ(image.rowText(3), expected);
}

TEST(DisplayImageTest, ClearBlanksEveryCellAndMarksOnlyTheVisibleRows) {
    DisplayImage image;
    image.setVisibleRows(32);
    fillVisible(image);
    image.writeCell(0, 0, 'Q');
    image.writeCell(48, 80, 'R' | display::Blink);  // beyond R, still cleared
    paint(image);
    image.markDirty(10, 10);
    image.markDirty(40, 1);

    image.clear();

    for (int row = 0; row < DisplayImage::kRows; ++row) {
        for (int column = 0; column < DisplayImage::kColumns; ++column) {
            ASSERT_EQ(image.cell(row, column), kBlank) << row << "," << column;
        }
        EXPECT_EQ(image.isRowDirty(row), row >= 1 && row <= 32) << row;
    }
    EXPECT_EQ(dirtyCellCount(image), 0);
}

TEST(DisplayImageTest, ScrollUpMovesRowsAndBlanksTheLastVisibleRow) {
    for (int rows : {24, 32, 1, 48}) {
        SCOPED_TRACE(rows);
        DisplayImage image;
        image.setVisibleRows(rows);
        fillVisible(image);
        // A row beyond R and column 0 are not part of the screen.
        if (rows < 48) {
            image.writeCell(rows + 1, 5, 'K');
        }
        image.writeCell(1, 0, 'C');
        paint(image);

        image.scrollUp();

        for (int row = 1; row < rows; ++row) {
            for (int column = 1; column <= 80; ++column) {
                ASSERT_EQ(image.cell(row, column), sample(row + 1, column)) << row << "," << column;
            }
        }
        // Row R: plain blanks, no flags left over, in every one of the 80 columns.
        for (int column = 1; column <= 80; ++column) {
            ASSERT_EQ(image.cell(rows, column), kBlank) << column;
        }
        EXPECT_EQ(image.rowText(rows), std::string(80, ' '));

        // Every visible cell is dirty, even those whose value did not change.
        for (int row = 1; row <= rows; ++row) {
            EXPECT_TRUE(image.isRowDirty(row)) << row;
            for (int column = 1; column <= 80; ++column) {
                ASSERT_TRUE(image.isCellDirty(row, column)) << row << "," << column;
            }
        }
        EXPECT_EQ(dirtyCellCount(image), rows * 80);
        EXPECT_EQ(dirtyRowCount(image), rows);
        if (rows < 48) {
            EXPECT_EQ(image.cell(rows + 1, 5), uint32_t('K'));
        }
        EXPECT_EQ(image.cell(1, 0), uint32_t('C'));
    }
}

TEST(DisplayImageTest, ScrollUpOfABlankScreenStillMarksEveryVisibleCell) {
    DisplayImage image;
    paint(image);
    image.scrollUp();
    EXPECT_EQ(dirtyCellCount(image), 24 * 80);
    EXPECT_EQ(dirtyRowCount(image), 24);
}

TEST(DisplayImageTest, VisibleRowsOutsideTheGridAreRefused) {
    struct Case {
        int requested;
        int expected;
    };
    const Case cases[] = {{32, 32}, {1, 1},   {48, 48},      {0, 24},
                          {-1, 24}, {49, 24}, {INT_MAX, 24}, {INT_MIN, 24}};
    for (const Case& c : cases) {
        DisplayImage image;
        image.setVisibleRows(c.requested);
        EXPECT_EQ(image.visibleRows(), c.expected) << c.requested;
        // Whatever was asked, clear and scroll stay inside the grid.
        image.clear();
        image.scrollUp();
        EXPECT_EQ(dirtyRowCount(image), c.expected) << c.requested;
    }
}

TEST(DisplayImageTest, DirtyMarksAreSetAndClearedSeparately) {
    DisplayImage image;
    paint(image);

    image.markDirty(7, 9);
    EXPECT_TRUE(image.isCellDirty(7, 9));
    EXPECT_TRUE(image.isRowDirty(7));
    EXPECT_EQ(image.cell(7, 9), kBlank);  // marking changes no value

    image.clearRowDirty(7);
    EXPECT_FALSE(image.isRowDirty(7));
    EXPECT_TRUE(image.isCellDirty(7, 9));
    image.clearCellDirty(7, 9);
    EXPECT_FALSE(image.isCellDirty(7, 9));

    image.markRowDirty(12);
    EXPECT_TRUE(image.isRowDirty(12));
    EXPECT_EQ(dirtyCellCount(image), 0);
}

TEST(DisplayImageTest, PositionsOutsideTheGridAreIgnored) {
    const struct {
        int row;
        int column;
    } outside[] = {{-1, 1},  {49, 1},   {1, -1},      {1, 81},      {49, 81},     {-1, -1},
                   {100, 5}, {5, 1000}, {INT_MIN, 1}, {1, INT_MIN}, {INT_MAX, 1}, {1, INT_MAX}};
    DisplayImage image;
    fillVisible(image);
    paint(image);
    for (const auto& p : outside) {
        SCOPED_TRACE(testing::Message() << p.row << "," << p.column);
        image.writeCell(p.row, p.column, 'X');
        image.markDirty(p.row, p.column);
        image.markRowDirty(p.row);
        image.clearCellDirty(p.row, p.column);
        image.clearRowDirty(p.row);
        EXPECT_EQ(image.cell(p.row, p.column), 0u);
        EXPECT_FALSE(image.isCellDirty(p.row, p.column));
        EXPECT_FALSE(image.isRowDirty(p.row));
    }
    for (int row : {-1, 49, INT_MIN, INT_MAX}) {
        EXPECT_EQ(image.rowText(row), "") << row;
    }
    // Nothing inside the grid was hit by a wrapped-around index.
    EXPECT_EQ(dirtyCellCount(image), 0);
    EXPECT_EQ(dirtyRowCount(image), 0);
    for (int row = 0; row < DisplayImage::kRows; ++row) {
        for (int column = 0; column < DisplayImage::kColumns; ++column) {
            const bool visible = row >= 1 && row <= 24 && column >= 1 && column <= 80;
            ASSERT_EQ(image.cell(row, column), visible ? sample(row, column) : kBlank)
                << row << "," << column;
        }
    }
}

}  // namespace
}  // namespace kestrel
