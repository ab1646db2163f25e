// LineModeDisplay: cursor movement, tab stops, wrap and scroll of the teletype.
#include "net/line_mode_display.h"

#include "engine/vt.h"

namespace kestrel {
namespace {

constexpr uint8_t kBackspace = 8;
constexpr uint8_t kTab = 9;
constexpr uint8_t kLineFeed = 10;
constexpr uint8_t kCarriageReturn = 13;

// Tab stops at columns 9, 17, 25, ... 73.
bool isTabStop(int column) {
    return column >= 9 && (column - 1) % 8 == 0;
}

}  // namespace

int LineModeDisplay::write(const uint8_t* data, size_t length, DisplayImage& image) {
    const int rows = image.visibleRows();
    // The screen may have become shorter since the last run (a smaller model
    // after an alternate-size session); text then goes on at its last row
    // instead of being written where nobody sees it.
    if (row_ > rows) {
        row_ = rows;
    }
    for (size_t i = 0; i < length; ++i) {
        put(data[i], image, rows);
    }
    const int address = (row_ - 1) * kColumns + (column_ - 1);
    return address < rows * kColumns ? address : 0;
}

void LineModeDisplay::write(const uint8_t* data, size_t length, vt& engine) {
    const int address = write(data, length, engine.image);
    engine.cursorAddress = address < engine.cells() ? address : 0;
}

void LineModeDisplay::put(uint8_t byte, DisplayImage& image, int rows) {
    switch (byte) {
        case kBackspace:
            if (column_ > 1) {
                --column_;
            }
            break;
        case kTab:
            if (column_ < kColumns) {
                ++column_;
            }
            while (!isTabStop(column_) && column_ < kColumns) {
                ++column_;
            }
            // No stop before the last column: the cursor stays one short of it.
            if (!isTabStop(column_)) {
                --column_;
            }
            break;
        case kLineFeed:
            ++row_;
            break;
        case kCarriageReturn:
            column_ = 1;
            break;
        default:
            // The byte itself is the display character; bytes from 128 up are
            // characters like any other and carry no display flags.
            image.writeCell(row_, column_, byte);
            if (++column_ > kColumns) {
                column_ = 1;
                ++row_;
            }
            break;
    }
    if (row_ > rows) {
        image.scrollUp();
        row_ = rows;
    }
}

}  // namespace kestrel
