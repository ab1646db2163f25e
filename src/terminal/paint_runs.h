// What the view paints: the dirty cells of the display image gathered into
// runs of equal display flags, each with its final colours and cursor shape,
// and the areas an incremental repaint must invalidate. Qt-free, so the rules
// are tested without a window; the view only draws what it is given.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "config/settings.h"
#include "engine/display_image.h"

namespace kestrel {

// Colours are 0x00BBGGRR, as the settings hold them.
struct PaintColours {
    int background = 0;
    int cursor = 0;
    int select = 0;
    int fields = 0;
    // By the Colour field of a display cell: 0 (default) and 4 are green.
    std::array<int, 8> host{};
};

PaintColours paintColours(const Settings& settings);

struct PaintOptions {
    PaintColours colours;
    bool showUnprotected = false;
    bool blinkOption = false;  // the blinking cursor
    bool blinkHidden = false;  // the blink phase in which blinking text is hidden
    int cursorType = 0;        // 0 full block, 1 half block, 2 underline
};

PaintOptions paintOptions(const Settings& settings, bool blinkHidden);

enum class CursorShape { None, FullBlock, HalfBlock, Underline };

struct RunColours {
    int foreground = 0;
    int background = 0;
};

// The colours of a run whose cells carry FLAGS.
RunColours runColours(uint32_t flags, const PaintOptions& options);

struct PaintRun {
    int row = 0;             // 1-based
    int column = 0;          // 1-based, the first cell
    std::string characters;  // display characters, one per cell
    uint32_t flags = 0;      // display flags of every cell of the run
    RunColours colours;
    // The fill under the run, also where the text does not reach.
    int fill = 0;
    CursorShape cursor = CursorShape::None;
    bool underline = false;

    int length() const { return static_cast<int>(characters.size()); }
};

// Takes every cell of rows 1..R that is dirty in a dirty row, clearing the
// marks, and gathers them into runs: a run goes on over following dirty cells
// with exactly the same flags, but ',' and '_' always stand alone.
std::vector<PaintRun> collectRuns(DisplayImage& image, const PaintOptions& options);

// A part of a row to invalidate: COUNT cells from COLUMN.
struct CellSpan {
    int row = 0;
    int column = 0;
    int count = 0;

    bool operator==(const CellSpan&) const = default;
};

// The areas an incremental repaint invalidates: each dirty cell of a dirty
// row on its own, or the whole row once 20 of its cells are dirty.
std::vector<CellSpan> invalidationSpans(const DisplayImage& image);

// One tick of the blink timer: flips the phase and marks every visible
// blinking cell dirty. True when a repaint is due: a cell was marked, or the
// cursor blinks.
bool blinkTick(DisplayImage& image, bool& blinkHidden, bool blinkOption);

}  // namespace kestrel
