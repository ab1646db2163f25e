#include "terminal/cursor_placement.h"

#include "engine/display_cell.h"

namespace kestrel {

bool crosshairHasVertical(int mode) {
    return mode == 1 || mode == 3;
}
bool crosshairHasHorizontal(int mode) {
    return mode == 1 || mode == 2;
}

PixelLine crosshairVertical(const GridGeometry& grid, int column) {
    const int x = (column - 1) * grid.cellWidth;
    return {x, 1, x, grid.rows * grid.cellHeight};
}

PixelLine crosshairHorizontal(const GridGeometry& grid, int row) {
    const int y = row * grid.cellHeight - grid.rowExtra;
    return {1, y, grid.columns * grid.cellWidth - 1, y};
}

CursorMove CursorPlacement::place(DisplayImage& image, int address, bool focus, bool blinkOption) {
    const int row = address / DisplayImage::kScreenColumns + 1;
    const int column = address % DisplayImage::kScreenColumns + 1;
    const CursorMove move{row_, column_, row, column};
    if (!move.moved() && !blinkOption) {
        image.writeCell(row, column, image.cell(row, column) | display::Cursor);
        return move;
    }
    image.markDirty(row_, column_);
    image.markDirty(row, column);
    image.writeCell(row_, column_, image.cell(row_, column_) & ~display::Cursor);
    const uint32_t cell = image.cell(row, column);
    image.writeCell(row, column, focus ? cell | display::Cursor : cell & ~display::Cursor);
    row_ = row;
    column_ = column;
    return move;
}

}  // namespace kestrel
