// The screen as the operator sees it: display cells with dirty marks.
//
// Rows and columns are 1-based, as on the screen; row 0 and column 0 exist but
// are never used. The engine renders into it, the view paints what is dirty.
// Every access outside the grid is ignored (reads give 0).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kestrel {

class DisplayImage {
  public:
    static constexpr int kRows = 49;
    static constexpr int kColumns = 81;
    static constexpr int kScreenColumns = 80;

    DisplayImage();

    // Stores VALUE and marks the cell and its row dirty, but only when it changes.
    // Inline: the engine calls it for every cell of every rendered screen.
    void writeCell(int row, int column, uint32_t value) {
        if (!inGrid(row, column) || cells_[row][column] == value) {
            return;
        }
        cells_[row][column] = value;
        cellDirty_[row][column] = 1;
        rowDirty_[row] = 1;
    }
    // Writes the first ROWS rows from VALUES, 80 cells a row in screen order,
    // exactly as writeCell would one cell at a time.
    void writeRows(const uint32_t* values, int rows) {
        for (int row = 1; row <= rows && row < kRows; ++row, values += kScreenColumns) {
            std::array<uint32_t, kColumns>& cells = cells_[row];
            bool changed = false;
            for (int column = 1; column <= kScreenColumns; ++column) {
                const uint32_t value = values[column - 1];
                if (cells[column] != value) {
                    cells[column] = value;
                    cellDirty_[row][column] = 1;
                    changed = true;
                }
            }
            if (changed) {
                rowDirty_[row] = 1;
            }
        }
    }
    uint32_t cell(int row, int column) const;
    // The 80 display characters of ROW (bits 0-7 of columns 1..80); empty for
    // a row outside the grid.
    std::string rowText(int row) const;

    // Blanks every cell, marks rows 1..R dirty and no cell.
    void clear();
    // Rows 2..R move up one row; row R becomes blank; every visible cell is dirty.
    void scrollUp();

    // Sets R; a value outside 1..48 is refused and R stays as it was.
    void setVisibleRows(int rows);
    int visibleRows() const { return visibleRows_; }

    // Marks the cell and its row, as the painter needs both.
    void markDirty(int row, int column);
    void markRowDirty(int row);
    bool isCellDirty(int row, int column) const;
    bool isRowDirty(int row) const;
    void clearCellDirty(int row, int column);
    void clearRowDirty(int row);

  private:
    static bool inGrid(int row, int column) {
        return row >= 0 && row < kRows && column >= 0 && column < kColumns;
    }

    std::array<std::array<uint32_t, kColumns>, kRows> cells_{};
    std::array<std::array<uint8_t, kColumns>, kRows> cellDirty_{};
    std::array<uint8_t, kRows> rowDirty_{};
    int visibleRows_ = 24;
};

}  // namespace kestrel
