// The editing core of the keyboard: cursor keys, tab and backtab, character
// entry with protection, numeric check, insert mode and automatic skip,
// backspace, delete, the erase functions and new line.
//
// None of it tests the keyboard lock; keyEvent and characterEvent do that
// before they get here. Every change of cells or cursor ends with a render.
#include <cstdint>

#include "engine/cell.h"
#include "engine/keyboard.h"
#include "engine/vt.h"

namespace kestrel {
namespace {

constexpr uint8_t kEbcdicBlank = 0x40;
// Characters from 'A' (0x41) upwards are refused in a numeric field; digits,
// blank and the signs and separators lie below it.
constexpr int kFirstNonNumeric = 0x41;

bool isAttributeAt(const vt& engine, int a) {
    return cell::isAttribute(engine.cell(a));
}

int nextAddress(const vt& engine, int a) {
    return a + 1 >= engine.cells() ? 0 : a + 1;
}

int previousAddress(const vt& engine, int a) {
    return a <= 0 ? engine.cells() - 1 : a - 1;
}

int rowEnd(int a) {
    return a / vt::kColumns * vt::kColumns + vt::kColumns - 1;
}

// The attribute cell that governs A, or 0 on an unformatted screen. An
// attribute cell always has its marker bit, so 0 cannot be mistaken for one.
uint32_t governingAttribute(vt& engine, int a) {
    if (engine.fieldStart(a) < 0) {
        return 0;
    }
    return engine.cell(engine.foundAttribute);
}

bool isNonDisplay(uint32_t attribute) {
    return (attribute & cell::DisplayMask) == cell::DisplayNone;
}

bool isAutoskip(uint32_t attribute) {
    return (attribute & cell::Protected) && (attribute & cell::Numeric);
}

bool isUnprotectedAttribute(uint32_t c) {
    return cell::isAttribute(c) && !(c & cell::Protected);
}

void clearCharacterAndMark(vt& engine, int a) {
    engine.presentationSpace[a] &= ~(cell::CharacterMask | cell::TypedMark);
}

// Forwards from the cursor, its own position first: at each unprotected
// attribute the cursor goes to the position after it, and stays there unless
// that position is an attribute too (an empty field).
void tab(vt& engine) {
    const int start = engine.cursorAddress;
    for (int i = 0, p = start; i < engine.cells(); ++i, p = nextAddress(engine, p)) {
        if (isUnprotectedAttribute(engine.cell(p))) {
            engine.cursorAddress = nextAddress(engine, p);
            if (!isAttributeAt(engine, engine.cursorAddress)) {
                return;
            }
        }
    }
}

// Backwards from the cursor: the first unprotected attribute met is that of
// the field being left and is passed over; the cursor goes into the field of
// the next one. With a single unprotected field the cursor stays put.
void backtab(vt& engine) {
    const int start = engine.cursorAddress;
    bool passedFirst = false;
    for (int i = 0, p = start; i < engine.cells(); ++i, p = previousAddress(engine, p)) {
        if (!isUnprotectedAttribute(engine.cell(p))) {
            continue;
        }
        if (!passedFirst) {
            passedFirst = true;
            engine.cursorAddress = p;
            continue;
        }
        engine.cursorAddress = nextAddress(engine, p);
        if (!isAttributeAt(engine, engine.cursorAddress)) {
            break;
        }
    }
    if (isAttributeAt(engine, engine.cursorAddress)) {
        engine.cursorAddress = start;
    }
}

// The cursor keys wrap within their row or column.
void moveCursor(vt& engine, KeyboardHost& host, int code, bool shift) {
    const int from = engine.cursorAddress;
    int row = from / vt::kColumns;
    int column = from % vt::kColumns;
    const int lastRow = engine.rows() - 1;
    switch (code) {
        case key_code::kLeft:
            column = column == 0 ? vt::kColumns - 1 : column - 1;
            break;
        case key_code::kRight:
            column = column == vt::kColumns - 1 ? 0 : column + 1;
            break;
        case key_code::kUp:
            row = row <= 0 ? lastRow : row - 1;
            break;
        case key_code::kDown:
            row = row >= lastRow ? 0 : row + 1;
            break;
    }
    engine.cursorAddress = row * vt::kColumns + column;
    if (shift && engine.settings.shift_arrow) {
        host.extendSelection(from, engine.cursorAddress);
    }
    engine.render();
}

// Moves the cells after FROM up to the end of its field within the row (the
// end of the row on an unformatted screen) one position left; the last
// position becomes null. Every position passes through markModified before
// it changes, so the field's MDT is set only if a character went.
void closeUp(vt& engine, int from) {
    int end = engine.fieldEndInRow(from);
    if (end < 0) {
        end = rowEnd(from);
    }
    for (int p = from; p < end; ++p) {
        engine.markModified(p);
        engine.presentationSpace[p] = engine.presentationSpace[p + 1];
    }
    engine.markModified(end);
    engine.presentationSpace[end] = 0;
}

void backspace(vt& engine) {
    const int cursor = engine.cursorAddress;
    if (isAttributeAt(engine, cursor)) {
        return;
    }
    const uint32_t attribute = governingAttribute(engine, cursor);
    if (attribute & cell::Protected) {
        return;
    }
    if (attribute && isNonDisplay(attribute)) {
        // A hidden field cannot be corrected by eye: backspace empties it to
        // the end of its row and starts again at its beginning.
        const int start = engine.fieldStart(cursor);
        const int end = engine.fieldEndInRow(start);
        for (int p = start; p <= end; ++p) {
            clearCharacterAndMark(engine, p);
        }
        engine.cursorAddress = start;
        engine.render();
        return;
    }
    const int before = previousAddress(engine, cursor);
    if (!isAttributeAt(engine, before)) {
        engine.cursorAddress = before;
    }
    closeUp(engine, engine.cursorAddress);
    engine.render();
}

void deleteCharacter(vt& engine) {
    const int cursor = engine.cursorAddress;
    if (isAttributeAt(engine, cursor)) {
        return;
    }
    const uint32_t attribute = governingAttribute(engine, cursor);
    if ((attribute & cell::Protected) || (attribute && isNonDisplay(attribute))) {
        return;
    }
    closeUp(engine, cursor);
    engine.render();
}

// ERASEEOF from the cursor, ERASEF from the start of the cursor's field.
void eraseToEndOfField(vt& engine, bool wholeField) {
    const int cursor = engine.cursorAddress;
    if (isAttributeAt(engine, cursor)) {
        return;
    }
    const int fieldStart = engine.fieldStart(cursor);
    if (fieldStart < 0) {
        return;
    }
    const uint32_t attribute = engine.cell(engine.foundAttribute);
    if (attribute & cell::Protected) {
        return;
    }
    const bool hidden = isNonDisplay(attribute);
    const int start = wholeField ? fieldStart : cursor;
    const int end = engine.fieldEnd(start);
    for (int i = 0, p = start; i < engine.cells(); ++i, p = nextAddress(engine, p)) {
        if (hidden) {
            clearCharacterAndMark(engine, p);
        } else {
            engine.markModified(p);
            engine.presentationSpace[p] &= ~cell::CharacterMask;
        }
        if (p == end) {
            break;
        }
    }
    engine.cursorAddress = start;
    engine.render();
}

// Nulls every unprotected field; the cursor and the MDTs stay as they are.
void eraseInput(vt& engine) {
    const int cells = engine.cells();
    int first = 0;
    while (first < cells && !isAttributeAt(engine, first)) {
        ++first;
    }
    if (first == cells) {
        for (int p = 0; p < cells; ++p) {
            clearCharacterAndMark(engine, p);
        }
        engine.cursorAddress = 0;
        engine.render();
        return;
    }
    uint32_t attribute = 0;
    for (int i = 0, p = first; i < cells; ++i, p = nextAddress(engine, p)) {
        const uint32_t c = engine.cell(p);
        if (cell::isAttribute(c)) {
            attribute = c;
        } else if (!(attribute & cell::Protected)) {
            if (isNonDisplay(attribute)) {
                clearCharacterAndMark(engine, p);
            } else {
                engine.presentationSpace[p] &= ~cell::CharacterMask;
            }
        }
    }
    engine.render();
}

// STARTF: back to the first position of the unprotected field around the cursor.
void startOfField(vt& engine) {
    int target = 0;
    for (int i = 0, p = engine.cursorAddress; i < engine.cells();
         ++i, p = previousAddress(engine, p)) {
        if (isUnprotectedAttribute(engine.cell(p))) {
            target = nextAddress(engine, p);
            break;
        }
    }
    engine.cursorAddress = target;
    engine.render();
}

// ENDF: to the last position before the next field attribute.
void endOfField(vt& engine) {
    int target = 0;
    for (int i = 0, p = engine.cursorAddress; i < engine.cells(); ++i, p = nextAddress(engine, p)) {
        if (isAttributeAt(engine, p)) {
            target = previousAddress(engine, p);
            break;
        }
    }
    engine.cursorAddress = target;
    engine.render();
}

void refuse(vt& engine) {
    engine.inputError = 1;
}

void enterCharacter(vt& engine, KeyboardHost& host, int code) {
    const int cursor = engine.cursorAddress;
    if (isAttributeAt(engine, cursor)) {
        return refuse(engine);
    }
    const uint32_t attribute = governingAttribute(engine, cursor);
    if (attribute & cell::Protected) {
        return refuse(engine);
    }
    if (code >= kFirstNonNumeric && (attribute & cell::Numeric) && !engine.settings.nocheck) {
        return refuse(engine);
    }
    const bool hidden = attribute && isNonDisplay(attribute);
    // DUP and FM are 3270 control characters with no place in the display
    // character set: they are stored as they are, in either mode.
    const uint8_t ebcdic = code == key_code::kDup || code == key_code::kFieldMark
                               ? uint8_t(code)
                               : engine.codePage.toEbcdic(uint8_t(code));

    if (engine.insertMode && !hidden) {
        // The character at the far end of the shift is pushed out of the
        // field; only a null or a blank may go. That holds when the cursor
        // itself is on the last position, too.
        const int farEnd = engine.firstNullInField(cursor);
        if (farEnd < 0) {
            return refuse(engine);  // no null anywhere on an unformatted screen
        }
        const uint8_t pushedOut = engine.cell(farEnd) & cell::CharacterMask;
        if (pushedOut != 0 && pushedOut != kEbcdicBlank) {
            return refuse(engine);
        }
        for (int p = farEnd; p != cursor;) {
            const int before = previousAddress(engine, p);
            engine.markModified(p);
            engine.presentationSpace[p] = engine.presentationSpace[before];
            p = before;
        }
        uint32_t& c = engine.presentationSpace[cursor];
        c = (c & ~cell::CharacterMask) | ebcdic;
        engine.markModified(cursor);
        const int next = nextAddress(engine, cursor);
        if (!isAttributeAt(engine, next)) {
            engine.cursorAddress = next;
        }
        engine.render();
        return;
    }

    uint32_t& c = engine.presentationSpace[cursor];
    c = (c & ~cell::CharacterMask) | ebcdic;
    engine.markModified(cursor);
    int next = nextAddress(engine, cursor);
    engine.cursorAddress = next;
    if (!isAttributeAt(engine, next)) {
        if (hidden) {
            engine.render();
        } else {
            engine.renderCell(cursor);
        }
        return;
    }
    // The field is full: skip on to the next field the operator can type in.
    if (!host.autoSkipSuppressed()) {
        for (int i = 0; i < engine.cells() && isAttributeAt(engine, next); ++i) {
            if (isAutoskip(engine.cell(next))) {
                tab(engine);
                break;
            }
            next = nextAddress(engine, next);
            engine.cursorAddress = next;
        }
    }
    engine.render();
}

}  // namespace

void editKey(vt& engine, KeyboardHost& host, int code, bool /*ctrl*/, bool shift) {
    if (engine.cursorAddress < 0 || engine.cursorAddress >= engine.cells()) {
        return;
    }
    switch (code) {
        case key_code::kLeft:
        case key_code::kRight:
        case key_code::kUp:
        case key_code::kDown:
            moveCursor(engine, host, code, shift);
            return;
        case key_code::kTab:
            if (shift) {
                backtab(engine);
            } else {
                tab(engine);
            }
            engine.render();
            return;
        case key_code::kBackspace:
        case key_code::kRubout:
            backspace(engine);
            return;
    }
    // Anything else is a character; key codes beyond the character set have
    // no meaning here.
    if (code >= 0 && code <= 0xFF) {
        enterCharacter(engine, host, code);
    }
}

void newLine(vt& engine) {
    if (engine.cursorAddress < 0 || engine.cursorAddress >= engine.cells()) {
        return;
    }
    int p = rowEnd(engine.cursorAddress);
    if (p + 1 < engine.cells() && isAttributeAt(engine, p + 1)) {
        p = p + 1;
    }
    if (p + 1 < engine.cells() && !engine.isProtected(p + 1)) {
        engine.cursorAddress = p + 1;
        if (isAttributeAt(engine, p + 1)) {
            tab(engine);
        }
    } else {
        engine.cursorAddress = p;
        tab(engine);
    }
    engine.render();
}

int runLocalFunction(vt& engine, KeyboardHost& host, int function) {
    namespace f = host_function;
    switch (function) {
        case f::kInsert:
            engine.insertMode = !engine.insertMode;
            return 0;
        case f::kSysreq:
            engine.functionName = "SYSREQ";
            engine.sysreqPending = 1;
            return 1;
        case f::kAttn:
            engine.functionName = "ATTN";
            engine.attnPending = 1;
            return 1;
        case f::kHardcopy:
            host.printScreen();
            return 0;
    }
    // The rest work on the cells around the cursor.
    if (engine.cursorAddress < 0 || engine.cursorAddress >= engine.cells()) {
        return function == f::kLeftDelete ? 1 : 0;
    }
    switch (function) {
        case f::kEraseField:
            eraseToEndOfField(engine, true);
            return 0;
        case f::kEraseInput:
            eraseInput(engine);
            return 0;
        case f::kStartOfField:
            startOfField(engine);
            return 0;
        case f::kEndOfField:
            endOfField(engine);
            return 0;
        case f::kBacktab:
            editKey(engine, host, key_code::kTab, false, true);
            return 0;
        case f::kTab:
            editKey(engine, host, key_code::kTab);
            return 0;
        case f::kDup:
            editKey(engine, host, key_code::kDup);
            editKey(engine, host, key_code::kTab);
            return 0;
        case f::kFieldMark:
            editKey(engine, host, key_code::kFieldMark);
            return 0;
        case f::kNewLine:
            newLine(engine);
            return 0;
        case f::kEraseEof:
            eraseToEndOfField(engine, false);
            return 0;
        case f::kDelete:
            deleteCharacter(engine);
            return 0;
        case f::kLeftDelete:
            editKey(engine, host, key_code::kBackspace);
            return 1;
        case f::kHome:
            engine.cursorAddress = engine.nextUnprotectedField(0);
            engine.render();
            return 0;
        case f::kRealPlus:
            editKey(engine, host, '+');
            return 0;
        case f::kRealMinus:
            editKey(engine, host, '-');
            return 0;
        case f::kRealMultiply:
            editKey(engine, host, '*');
            return 0;
        case f::kRealDivide:
            editKey(engine, host, '/');
            return 0;
        default:  // RESET acts only on a locked keyboard; 0, 23 and 24 are no function
            return 0;
    }
}

}  // namespace kestrel
