#include "terminal/paint_runs.h"

#include "engine/display_cell.h"

namespace kestrel {
namespace {

constexpr uint32_t kFlagsMask = ~display::CharacterMask;
// Up to this many dirty cells a row is invalidated cell by cell.
constexpr int kCellsBeforeWholeRow = 20;

bool standsAlone(uint32_t cell) {
    const uint32_t c = cell & display::CharacterMask;
    return c == ',' || c == '_';
}

CursorShape cursorShape(int cursorType) {
    switch (cursorType) {
        case 1:
            return CursorShape::HalfBlock;
        case 2:
            return CursorShape::Underline;
        default:
            return CursorShape::FullBlock;
    }
}

PaintRun makeRun(int row, int column, uint32_t first, const PaintOptions& options) {
    PaintRun run;
    run.row = row;
    run.column = column;
    run.flags = first & kFlagsMask;
    run.characters.push_back(static_cast<char>(first & display::CharacterMask));
    run.colours = runColours(run.flags, options);
    run.fill =
        (run.flags & display::Selected) ? options.colours.select : options.colours.background;
    // In the hidden phase of a blinking cursor the cursor cell is drawn plainly.
    if ((run.flags & display::Cursor) && !(options.blinkOption && options.blinkHidden)) {
        run.cursor = cursorShape(options.cursorType);
    }
    return run;
}

}  // namespace

PaintColours paintColours(const Settings& s) {
    PaintColours c;
    c.background = s.color_bg;
    c.cursor = s.color_cursor;
    c.select = s.color_select;
    c.fields = s.color_fields;
    c.host = {s.color_green, s.color_blue,      s.color_red,    s.color_pink,
              s.color_green, s.color_turquoise, s.color_yellow, s.color_white};
    return c;
}

PaintOptions paintOptions(const Settings& s, bool blinkHidden) {
    PaintOptions o;
    o.colours = paintColours(s);
    o.showUnprotected = s.show_unprotected != 0;
    o.blinkOption = s.blink != 0;
    o.blinkHidden = blinkHidden;
    o.cursorType = s.cursortype;
    return o;
}

RunColours runColours(uint32_t flags, const PaintOptions& options) {
    const PaintColours& c = options.colours;
    RunColours r;
    r.foreground = c.host[(flags & display::ColourMask) >> display::ColourShift];
    const bool selected = flags & display::Selected;
    const bool reverse = flags & display::Reverse;
    const bool blink = flags & display::Blink;
    if (selected) {
        r.background = c.select;
    } else if (!reverse) {
        r.background = c.background;
    } else if (blink && !options.blinkHidden) {
        r.background = r.foreground;  // a solid block of the field colour
    } else {
        r.background = r.foreground;
        r.foreground = c.background;
    }
    if (!selected && options.showUnprotected && (flags & display::Formatted) &&
        !(flags & display::Protected)) {
        r.background = c.fields;
    }
    if (blink && !reverse && options.blinkHidden) {
        r.foreground = c.background;
    }
    return r;
}

std::vector<PaintRun> collectRuns(DisplayImage& image, const PaintOptions& options) {
    std::vector<PaintRun> runs;
    const int rows = image.visibleRows();
    for (int row = 1; row <= rows; ++row) {
        if (!image.isRowDirty(row)) {
            continue;
        }
        image.clearRowDirty(row);
        int column = 1;
        while (column <= DisplayImage::kScreenColumns) {
            if (!image.isCellDirty(row, column)) {
                ++column;
                continue;
            }
            const uint32_t first = image.cell(row, column);
            image.clearCellDirty(row, column);
            PaintRun run = makeRun(row, column, first, options);
            ++column;
            if (!standsAlone(first)) {
                for (; column <= DisplayImage::kScreenColumns; ++column) {
                    const uint32_t next = image.cell(row, column);
                    if (!image.isCellDirty(row, column) || (next & kFlagsMask) != run.flags ||
                        standsAlone(next)) {
                        break;
                    }
                    image.clearCellDirty(row, column);
                    run.characters.push_back(static_cast<char>(next & display::CharacterMask));
                }
            }
            run.underline = (run.flags & display::Underscore) && !standsAlone(first) &&
                            run.cursor != CursorShape::Underline;
            runs.push_back(std::move(run));
        }
    }
    return runs;
}

std::vector<CellSpan> invalidationSpans(const DisplayImage& image) {
    std::vector<CellSpan> spans;
    const int rows = image.visibleRows();
    for (int row = 1; row <= rows; ++row) {
        if (!image.isRowDirty(row)) {
            continue;
        }
        int dirty = 0;
        for (int column = 1; column <= DisplayImage::kScreenColumns && dirty < kCellsBeforeWholeRow;
             ++column) {
            dirty += image.isCellDirty(row, column) ? 1 : 0;
        }
        if (dirty >= kCellsBeforeWholeRow) {
            spans.push_back({row, 1, DisplayImage::kScreenColumns});
            continue;
        }
        for (int column = 1; column <= DisplayImage::kScreenColumns; ++column) {
            if (image.isCellDirty(row, column)) {
                spans.push_back({row, column, 1});
            }
        }
    }
    return spans;
}

bool blinkTick(DisplayImage& image, bool& blinkHidden, bool blinkOption) {
    blinkHidden = !blinkHidden;
    bool marked = false;
    const int rows = image.visibleRows();
    for (int row = 1; row <= rows; ++row) {
        for (int column = 1; column <= DisplayImage::kScreenColumns; ++column) {
            if (image.cell(row, column) & display::Blink) {
                image.markDirty(row, column);
                marked = true;
            }
        }
    }
    return marked || blinkOption;
}

}  // namespace kestrel
