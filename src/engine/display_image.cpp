// The display image: the cells the operator sees and the marks that tell the
// painter which of them changed.
#include "engine/display_image.h"

namespace kestrel {
namespace {

constexpr uint32_t kBlank = 0x20;

}  // namespace

DisplayImage::DisplayImage() {
    clear();
}

uint32_t DisplayImage::cell(int row, int column) const {
    return inGrid(row, column) ? cells_[row][column] : 0;
}

// A row outside the grid has no text: the result is empty, not 80 blanks, so a
// caller cannot mistake a bad row number for a blank screen line.
std::string DisplayImage::rowText(int row) const {
    std::string text;
    if (!inGrid(row, 0)) {
        return text;
    }
    text.reserve(kScreenColumns);
    for (int column = 1; column <= kScreenColumns; ++column) {
        text.push_back(static_cast<char>(cells_[row][column] & 0xFF));
    }
    return text;
}

// Only the row marks are set: the caller follows a clear with a full repaint,
// which marks every visible cell itself.
void DisplayImage::clear() {
    for (auto& row : cells_) {
        row.fill(kBlank);
    }
    for (auto& row : cellDirty_) {
        row.fill(0);
    }
    rowDirty_.fill(0);
    for (int row = 1; row <= visibleRows_; ++row) {
        rowDirty_[row] = 1;
    }
}

void DisplayImage::scrollUp() {
    const int last = visibleRows_;
    for (int row = 1; row < last; ++row) {
        for (int column = 1; column <= kScreenColumns; ++column) {
            cells_[row][column] = cells_[row + 1][column];
        }
    }
    for (int column = 1; column <= kScreenColumns; ++column) {
        cells_[last][column] = kBlank;
    }
    // Every visible line moved, so every visible cell must be painted again.
    for (int row = 1; row <= last; ++row) {
        rowDirty_[row] = 1;
        for (int column = 1; column <= kScreenColumns; ++column) {
            cellDirty_[row][column] = 1;
        }
    }
}

// A row count the grid cannot hold is refused and the current one kept, so the
// visible rows always lie inside the grid.
void DisplayImage::setVisibleRows(int rows) {
    if (rows < 1 || rows >= kRows) {
        return;
    }
    visibleRows_ = rows;
}

// Marks the cell and its row: the painter draws a cell only when both are set.
void DisplayImage::markDirty(int row, int column) {
    if (!inGrid(row, column)) {
        return;
    }
    cellDirty_[row][column] = 1;
    rowDirty_[row] = 1;
}

void DisplayImage::markRowDirty(int row) {
    if (inGrid(row, 0)) {
        rowDirty_[row] = 1;
    }
}

bool DisplayImage::isCellDirty(int row, int column) const {
    return inGrid(row, column) && cellDirty_[row][column] != 0;
}

bool DisplayImage::isRowDirty(int row) const {
    return inGrid(row, 0) && rowDirty_[row] != 0;
}

void DisplayImage::clearCellDirty(int row, int column) {
    if (inGrid(row, column)) {
        cellDirty_[row][column] = 0;
    }
}

void DisplayImage::clearRowDirty(int row) {
    if (inGrid(row, 0)) {
        rowDirty_[row] = 0;
    }
}

}  // namespace kestrel
