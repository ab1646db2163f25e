// vt: rendering the presentation space into the display image.
//
// One walk over the buffer in address order, starting at the first field
// attribute, carries a running set of display flags: each field attribute
// sets them for its field, Set Attribute colours and highlights change them
// from a character on.
#include "engine/cell.h"
#include "engine/display_cell.h"
#include "engine/vt.h"

namespace kestrel {
namespace {

// Highlights pass from cells to display cells unchanged.
static_assert(cell::Blink == display::Blink && cell::Reverse == display::Reverse &&
              cell::Underscore == display::Underscore);

constexpr uint32_t kAttributePosition = 0x20 | display::Protected;
constexpr uint8_t kTypedInNonDisplay = '*';

// The colour of a field without an extended colour, by protection and intensity.
uint32_t baseColour(uint32_t attribute) {
    const bool intensified = (attribute & cell::DisplayMask) == cell::DisplayIntensified;
    if (attribute & cell::Protected) {
        return intensified ? 7 : 1;
    }
    return intensified ? 2 : 4;
}

}  // namespace

void vt::render() {
    if (renderingSuspended_) {
        return;
    }
    int start = 0;
    while (start < cells_ && !cell::isAttribute(presentationSpace[start])) {
        ++start;
    }
    const bool formatted = start < cells_;
    if (!formatted) {
        start = 0;
    }
    uint32_t flags = display::colour(4) | (formatted ? 0 : display::Protected);
    bool nonDisplay = false;
    bool protectedField = false;
    bool fieldHadHighlight = false;

    const int cells = cells_;
    const CodePageTable& table = codePage;
    // The whole screen is rendered into a local buffer first and then handed
    // to the image row by row: both loops stay tight.
    std::array<uint32_t, kMaxCells> rendered;
    for (int i = 0, a = start; i < cells; ++i, ++a) {
        if (a == cells) {
            a = 0;
        }
        const uint32_t c = presentationSpace[a];

        // Most positions are plain characters of a displayed field.
        constexpr uint32_t kSpecial =
            cell::FieldAttribute | cell::HighlightMask | cell::ColourMask | cell::ResetMark;
        if (!nonDisplay && (c & kSpecial) == 0) {
            const uint32_t character = table.toAscii(c & cell::CharacterMask);
            const bool plain = (c & cell::CharacterMask) == 0 && fieldHadHighlight;
            rendered[a] = plain ? character : character | flags;
            continue;
        }

        if (cell::isAttribute(c)) {
            flags |= display::Formatted | display::Protected;
            if ((c & cell::DisplayMask) == cell::DisplayIntensified) {
                flags |= display::Intensified;
            } else {
                flags &= ~display::Intensified;
            }
            flags = (flags & ~display::HighlightMask) | (c & cell::HighlightMask);
            const uint32_t colour = cell::colour(c) ? cell::colour(c) : baseColour(c);
            flags = (flags & ~display::ColourMask) | display::colour(colour);
            protectedField = (c & cell::Protected) != 0;
            nonDisplay = (c & cell::DisplayMask) == cell::DisplayNone;
            fieldHadHighlight = false;
            rendered[a] = kAttributePosition;
            // The data positions of an unprotected field are not protected; a
            // following attribute sets the flag again.
            if (!protectedField) {
                flags &= ~display::Protected;
            }
            continue;
        }

        if (cell::colour(c)) {
            flags = (flags & ~display::ColourMask) | display::colour(cell::colour(c));
        }
        const uint32_t highlight = c & cell::HighlightMask;
        if (highlight & ~flags) {
            flags = (flags & ~display::HighlightMask) | highlight;
        } else if (c & cell::ResetMark) {
            flags &= ~(display::HighlightMask & ~highlight);
        }
        fieldHadHighlight = fieldHadHighlight || highlight != 0;

        uint8_t code = c & cell::CharacterMask;
        if (nonDisplay) {
            code = (c & cell::TypedMark) ? table.toEbcdic(kTypedInNonDisplay) : 0;
            if (protectedField) {
                flags &= ~(display::Reverse | display::Underscore);
            }
        }
        const uint32_t character = table.toAscii(code);
        rendered[a] = code == 0 && fieldHadHighlight ? character : character | flags;
    }
    image.writeRows(rendered.data(), rows_);
    ui.repaint(Repaint::Incremental);
}

void vt::renderCell(int a) {
    if (renderingSuspended_ || a < 0 || a >= cells_) {
        return;
    }
    const int row = a / kColumns + 1;
    const int column = a % kColumns + 1;
    const uint32_t c = presentationSpace[a];
    uint8_t code = c & cell::CharacterMask;
    // A non-display field never shows what was typed into it.
    const int attribute = governingAttribute(a);
    if (attribute >= 0 && (presentationSpace[attribute] & cell::DisplayMask) == cell::DisplayNone) {
        code = (c & cell::TypedMark) ? codePage.toEbcdic(kTypedInNonDisplay) : 0;
    }
    const uint32_t kept = image.cell(row, column) & ~display::CharacterMask;
    image.writeCell(row, column, kept | codePage.toAscii(code));
    ui.repaint(Repaint::Incremental);
}

}  // namespace kestrel
