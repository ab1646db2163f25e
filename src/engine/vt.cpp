// vt: geometry, buffer addresses, field searches, clearing and the cursor.
#include "engine/vt.h"

#include <algorithm>

#include "engine/cell.h"

namespace kestrel {

vt::vt(const Settings& settings, DisplayImage& image, UserInterface& ui)
    : settings(settings), image(image), ui(ui) {}

int vt::decodeAddress(uint8_t b1, uint8_t b2) {
    if (b1 & 0xC0) {
        return ((b1 << 6) & 0xFFF) | (b2 & 0x3F);
    }
    return (b1 << 8) | b2;
}

uint8_t vt::sixBitCode(int value) {
    static constexpr uint8_t kCodes[64] = {
        0x40, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0x4A, 0x4B, 0x4C,
        0x4D, 0x4E, 0x4F, 0x50, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9,
        0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x60, 0x61, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6,
        0xE7, 0xE8, 0xE9, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F, 0xF0, 0xF1, 0xF2, 0xF3,
        0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0x7A, 0x7B, 0x7C, 0x7D, 0x7E, 0x7F,
    };
    return kCodes[value & 0x3F];
}

std::array<uint8_t, 2> vt::encodeAddress(int address) {
    return {sixBitCode(address >> 6), sixBitCode(address)};
}

bool vt::isFormatted() const {
    for (int a = 0; a < cells_; ++a) {
        if (cell::isAttribute(presentationSpace[a])) {
            return true;
        }
    }
    return false;
}

int vt::governingAttribute(int a) const {
    if (a < 0 || a >= cells_) {
        return -1;
    }
    for (int i = 0, p = a; i < cells_; ++i) {
        if (cell::isAttribute(presentationSpace[p])) {
            return p;
        }
        p = p == 0 ? cells_ - 1 : p - 1;
    }
    return -1;
}

int vt::fieldStart(int a) {
    const int attribute = governingAttribute(a);
    if (attribute < 0) {
        return -1;
    }
    foundAttribute = attribute;
    return wrap(attribute + 1);
}

int vt::fieldEnd(int a) {
    if (a < 0 || a >= cells_) {
        return -1;
    }
    for (int i = 0, p = a; i < cells_; ++i, p = wrap(p + 1)) {
        if (cell::isAttribute(presentationSpace[p])) {
            foundAttribute = p;
            return p == 0 ? cells_ - 1 : p - 1;
        }
    }
    return -1;
}

int vt::fieldEndInRow(int a) {
    const int end = fieldEnd(a);
    if (end < 0) {
        return -1;
    }
    const int rowEnd = a / kColumns * kColumns + kColumns - 1;
    // The attribute lies within the row only if it was reached before the row ended.
    return foundAttribute >= a && foundAttribute <= rowEnd ? end : rowEnd;
}

int vt::firstNullInField(int a) {
    if (a < 0 || a >= cells_) {
        return -1;
    }
    for (int i = 0, p = a; i < cells_; ++i, p = wrap(p + 1)) {
        const uint32_t c = presentationSpace[p];
        if (cell::isAttribute(c)) {
            foundAttribute = p;
            return p == 0 ? cells_ - 1 : p - 1;
        }
        if ((c & cell::CharacterMask) == 0) {
            return p;
        }
    }
    return -1;
}

int vt::isProtected(int a) const {
    const int attribute = governingAttribute(a);
    return attribute >= 0 && (presentationSpace[attribute] & cell::Protected) ? 1 : 0;
}

int vt::nextUnprotectedField(int a) const {
    const int found = findUnprotectedAttribute(a);
    return found < 0 ? 0 : wrap(found + 1);
}

int vt::findUnprotectedAttribute(int a) const {
    for (int p = a < 0 ? 0 : a; p < cells_; ++p) {
        const uint32_t c = presentationSpace[p];
        if (cell::isAttribute(c) && !(c & cell::Protected)) {
            return p;
        }
    }
    return -1;
}

void vt::markModified(int a) {
    if (a < 0 || a >= cells_) {
        return;
    }
    uint32_t& c = presentationSpace[a];
    if (cell::isAttribute(c) || (c & cell::CharacterMask) == 0) {
        return;
    }
    c |= cell::TypedMark;
    const int attribute = governingAttribute(a);
    if (attribute >= 0) {
        presentationSpace[attribute] |= cell::Modified;
    }
}

void vt::clearPresentationSpace() {
    std::fill_n(presentationSpace.begin(), cells_, 0u);
    cursorAddress = 0;
    bufferAddress = 0;
}

void vt::clearAllCells() {
    presentationSpace.fill(0);
}

void vt::resize(int rows) {
    if (rows < kDefaultRows || rows * kColumns > kMaxCells) {
        return;
    }
    rows_ = rows;
    cells_ = rows * kColumns;
    image.setVisibleRows(rows);
    clearAllCells();
    if (cursorAddress >= cells_) {
        cursorAddress = 0;
    }
    if (bufferAddress >= cells_) {
        bufferAddress = 0;
    }
    ui.repaint(Repaint::Full);
    render();
}

void vt::setCursor(int column, int row) {
    inputError = 0;
    const int address = (row - 1) * kColumns + column - 1;
    if (address >= 0 && address < cells_) {
        cursorAddress = address;
    }
    render();
}

int vt::cursorPosition() const {
    return (cursorAddress / kColumns + 1) * 256 + cursorAddress % kColumns + 1;
}

}  // namespace kestrel
