// Placing the Cursor flag and the crosshair lines that follow it.
#include "terminal/cursor_placement.h"

#include <gtest/gtest.h>

#include "engine/display_cell.h"

namespace kestrel {
namespace {

namespace d = display;

// An image with nothing to paint.
void settle(DisplayImage& image) {
    for (int row = 0; row < DisplayImage::kRows; ++row) {
        for (int column = 0; column < DisplayImage::kColumns; ++column) {
            image.clearCellDirty(row, column);
        }
        image.clearRowDirty(row);
    }
}

int dirtyCells(const DisplayImage& image) {
    int count = 0;
    for (int row = 1; row <= image.visibleRows(); ++row) {
        for (int column = 1; column <= 80; ++column) {
            count += image.isCellDirty(row, column) && image.isRowDirty(row);
        }
    }
    return count;
}

TEST(CursorPlacement, MovesTheFlagAndMarksBothCells) {
    DisplayImage image;
    CursorPlacement cursor;
    cursor.place(image, 0, true, false);
    settle(image);

    const CursorMove move = cursor.place(image, 81, true, false);  // row 2, column 2
    EXPECT_TRUE(move.moved());
    EXPECT_EQ((std::pair{move.oldRow, move.oldColumn}), (std::pair{1, 1}));
    EXPECT_EQ((std::pair{move.row, move.column}), (std::pair{2, 2}));
    EXPECT_FALSE(image.cell(1, 1) & d::Cursor);
    EXPECT_TRUE(image.cell(2, 2) & d::Cursor);
    EXPECT_EQ(dirtyCells(image), 2);
}

TEST(CursorPlacement, UnmovedCursorTouchesNothingUnlessItBlinks) {
    DisplayImage image;
    CursorPlacement cursor;
    cursor.place(image, 5, true, false);
    settle(image);
    EXPECT_FALSE(cursor.place(image, 5, true, false).moved());
    EXPECT_EQ(dirtyCells(image), 0);

    // A render rewrote the cell without the flag: it gets it back.
    image.writeCell(1, 6, 'A');
    settle(image);
    cursor.place(image, 5, true, false);
    EXPECT_EQ(image.cell(1, 6), 'A' | d::Cursor);

    // A blinking cursor is repainted at every placement.
    settle(image);
    cursor.place(image, 5, true, true);
    EXPECT_EQ(dirtyCells(image), 1);
}

TEST(CursorPlacement, WithoutFocusTheCursorGoesAtTheNextMoveOrAtOnceWhenBlinking) {
    DisplayImage image;
    CursorPlacement cursor;
    cursor.place(image, 0, true, false);

    cursor.place(image, 0, false, false);  // focus lost, cursor still: it stays
    EXPECT_TRUE(image.cell(1, 1) & d::Cursor);
    cursor.place(image, 1, false, false);  // it moves: nothing is drawn
    EXPECT_FALSE(image.cell(1, 1) & d::Cursor);
    EXPECT_FALSE(image.cell(1, 2) & d::Cursor);

    cursor.place(image, 1, true, true);
    EXPECT_TRUE(image.cell(1, 2) & d::Cursor);
    cursor.place(image, 1, false, true);  // blinking: gone at once
    EXPECT_FALSE(image.cell(1, 2) & d::Cursor);
}

TEST(CursorPlacement, CrosshairLinesByMode) {
    const GridGeometry grid{10, 20, 3, 24, 80};
    EXPECT_EQ(crosshairVertical(grid, 5), (PixelLine{40, 1, 40, 480}));
    EXPECT_EQ(crosshairHorizontal(grid, 2), (PixelLine{1, 37, 799, 37}));
    EXPECT_FALSE(crosshairHasVertical(0) || crosshairHasHorizontal(0));
    EXPECT_TRUE(crosshairHasVertical(1) && crosshairHasHorizontal(1));
    EXPECT_TRUE(!crosshairHasVertical(2) && crosshairHasHorizontal(2));
    EXPECT_TRUE(crosshairHasVertical(3) && !crosshairHasHorizontal(3));
}

}  // namespace
}  // namespace kestrel
