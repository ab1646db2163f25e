// The Cursor flag of the display image: moved to the engine's cursor address
// at the start of every repaint, and the crosshair lines that move with it.
#pragma once

#include "engine/display_image.h"

namespace kestrel {

// A crosshair line to invalidate or draw, in pixels, both ends included.
struct PixelLine {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;

    bool operator==(const PixelLine&) const = default;
};

// The crosshair modes: 0 off, 1 both lines, 2 horizontal only, 3 vertical only.
bool crosshairHasVertical(int mode);
bool crosshairHasHorizontal(int mode);

struct GridGeometry {
    int cellWidth = 4;
    int cellHeight = 4;
    int rowExtra = 0;
    int rows = 24;
    int columns = 80;
};

// The vertical line through COLUMN and the horizontal line under ROW (1-based).
PixelLine crosshairVertical(const GridGeometry& grid, int column);
PixelLine crosshairHorizontal(const GridGeometry& grid, int row);

// Where the cursor was and is after a placement (1-based; 0 before the first).
struct CursorMove {
    int oldRow = 0;
    int oldColumn = 0;
    int row = 0;
    int column = 0;

    bool moved() const { return row != oldRow || column != oldColumn; }
};

class CursorPlacement {
  public:
    // Places the Cursor flag for the cursor at ADDRESS. A cursor that has not
    // moved, with the blinking cursor off, only gets its flag back (a render
    // may have rewritten the cell). Otherwise the old and new cells are marked
    // dirty, the old cell loses the flag and the new one gets it only while
    // the view has the focus.
    CursorMove place(DisplayImage& image, int address, bool focus, bool blinkOption);

    int row() const { return row_; }
    int column() const { return column_; }

  private:
    int row_ = 0;
    int column_ = 0;
};

}  // namespace kestrel
