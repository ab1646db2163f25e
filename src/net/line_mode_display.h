// LineModeDisplay: the teletype that shows host text before record mode.
//
// Until the host negotiates END-OF-RECORD, data bytes are plain text, and the
// negotiation trace is text too. Both are drawn straight into the display
// image, bypassing the presentation space: a cursor that moves by BS, TAB, LF
// and CR, writes every other byte as a character, wraps at the last column and
// scrolls the screen up past the last row. The caller asks for the repaint.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/display_image.h"

namespace kestrel {

class vt;

class LineModeDisplay {
  public:
    static constexpr int kColumns = DisplayImage::kScreenColumns;

    // Draws DATA on the visible rows of IMAGE and returns the cursor address,
    // (row - 1) * 80 + (column - 1), or 0 when that lies beyond the screen.
    int write(const uint8_t* data, size_t length, DisplayImage& image);
    // The same on the engine's display image; sets the engine's cursor address
    // (0 when it lies beyond the engine's cells).
    void write(const uint8_t* data, size_t length, vt& engine);
    void write(std::string_view text, vt& engine) {
        write(reinterpret_cast<const uint8_t*>(text.data()), text.size(), engine);
    }

    // The 1-based position of the next character. It survives reconnects:
    // only a new engine starts again at row 1, column 1.
    int row() const { return row_; }
    int column() const { return column_; }

  private:
    void put(uint8_t byte, DisplayImage& image, int rows);

    int row_ = 1;
    int column_ = 1;
};

}  // namespace kestrel
