// vt: the inbound-record entry, the write control character and the orders.
#include <algorithm>
#include <array>

#include "engine/cell.h"
#include "engine/commands.h"
#include "engine/vt.h"

namespace kestrel {
namespace {

using namespace command;

enum Order : uint8_t {
    kSetBufferAddress = 0x11,
    kStartField = 0x1D,
    kStartFieldExtended = 0x29,
    kModifyField = 0x2C,
    kSetAttribute = 0x28,
    kInsertCursor = 0x13,
    kProgramTab = 0x05,
    kEraseUnprotectedToAddress = 0x12,
    kRepeatToAddress = 0x3C,
    kGraphicEscape = 0x08,
};

enum WccBit : uint8_t {
    kResetMdt = 0x01,
    kKeyboardRestore = 0x02,
    kSoundAlarm = 0x04,
    kResetReplyModes = 0x40,
};

enum AttributeType : uint8_t {
    kAllAttributes = 0x00,
    kHighlighting = 0x41,
    kColour = 0x42,
    kFieldAttribute = 0xC0,
};

// The length of each order with its operands; 0 for a character.
constexpr std::array<uint8_t, 256> kOrderLength = [] {
    std::array<uint8_t, 256> length{};
    length[kSetBufferAddress] = 3;
    length[kSetAttribute] = 3;
    length[kEraseUnprotectedToAddress] = 3;
    length[kRepeatToAddress] = 4;
    length[kStartField] = 2;
    length[kStartFieldExtended] = 2;
    length[kModifyField] = 2;
    length[kGraphicEscape] = 2;
    length[kInsertCursor] = 1;
    length[kProgramTab] = 1;
    return length;
}();

constexpr uint8_t kNewLine = 0x15;
constexpr uint8_t kGraphicEscapeCharacter = 0x60;
constexpr uint8_t kNoAid = 0x60;

// The order-state values that Program Tab looks at.
enum OrderState { kAfterCharacter = 0, kAfterOrder = 1, kAfterEmptyTab = 2, kAfterTab = 3 };

uint32_t highlightBit(uint8_t value) {
    switch (value) {
        case 0xF1:
            return cell::Blink;
        case 0xF2:
            return cell::Reverse;
        case 0xF4:
            return cell::Underscore;
        default:
            return 0;
    }
}

uint32_t colourBits(uint8_t value) {
    return uint32_t(value & 7) << cell::ColourShift;
}

}  // namespace

bool vt::isProgramCheck() {
    const bool check = programCheck != 0;
    programCheck = 0;
    return check;
}

int vt::processInboundRecord(const uint8_t* data, size_t length) {
    programCheck = 0;
    functionName.clear();

    for (size_t i = 0; i < length;) {
        const uint8_t command = data[i];
        const size_t wcc = i + 1;
        const size_t last = length - 1;
        switch (command) {
            case kWrite:
            case kWriteRemote:
                processWrite(data, wcc, last);
                i = length;
                break;
            case kEraseWrite:
            case kEraseWriteRemote:
                eraseWrite(data, wcc, last);
                i = length;
                break;
            case kEraseWriteAlternate:
            case kEraseWriteAlternateRemote:
                eraseWriteAlternate(data, wcc, last);
                i = length;
                break;
            case kEraseAllUnprotected:
            case kEraseAllUnprotectedRemote:
                eraseAllUnprotected();
                i = length;
                break;
            case kWriteStructuredField:
            case kWriteStructuredFieldRemote:
                if (extensions_) {
                    extensions_->writeStructuredField(*this, data + wcc, length - wcc);
                }
                i = length;
                break;
            case kReadBuffer:
            case kReadBufferRemote:
            case kReadModified:
            case kReadModifiedRemote:
            case kReadModifiedAll:
                readMode = command == kReadBuffer || command == kReadBufferRemote       ? 1
                           : command == kReadModified || command == kReadModifiedRemote ? 2
                                                                                        : 3;
                if (extensions_) {
                    extensions_->buildReadReply(*this, lastAid);
                }
                if (readMode != 1) {
                    keyboardUnlocked = 1;
                }
                ++i;
                break;
            default:
                // Not a command: the rest of the record is shown as it stands.
                for (; i < length; ++i) {
                    writeCharacter(data[i]);
                }
                break;
        }
    }

    render();
    if (extensions_) {
        extensions_->recordProcessed(*this);
    }
    return pendingRecord.pending ? 1 : 0;
}

void vt::switchToDefaultSize() {
    if (alternateActive) {
        alternateActive = 0;
        resize(kDefaultRows);
    }
}

void vt::switchToAlternateSize() {
    if (!alternateActive && settings.alternate != kDefaultRows) {
        alternateActive = 1;
        resize(settings.alternate);
    }
}

void vt::eraseWrite(const uint8_t* data, size_t wccPosition, size_t lastIndex) {
    bufferAddress = 0;
    cursorAddress = 0;
    switchToDefaultSize();
    eraseForWrite(data, wccPosition, lastIndex);
}

void vt::eraseWriteAlternate(const uint8_t* data, size_t wccPosition, size_t lastIndex) {
    switchToAlternateSize();
    eraseForWrite(data, wccPosition, lastIndex);
}

void vt::eraseForWrite(const uint8_t* data, size_t wccPosition, size_t lastIndex) {
    clearPresentationSpace();
    if (wccPosition <= lastIndex && (data[wccPosition] & kResetReplyModes)) {
        replyHighlight = 0;
        replyColour = 0;
    }
    processWrite(data, wccPosition, lastIndex);
}

void vt::eraseAllUnprotected() {
    nullUnprotected(0, cells_);
    cursorAddress = 0;
    bufferAddress = 0;
}

void vt::nullUnprotected(int from, int count) {
    // Walks COUNT cells from FROM, tracking the protection of the field in force.
    bool protectedField = isProtected(from) != 0;
    for (int i = 0, p = from; i < count; ++i, p = wrap(p + 1)) {
        uint32_t& c = presentationSpace[p];
        if (cell::isAttribute(c)) {
            protectedField = (c & cell::Protected) != 0;
        } else if (!protectedField) {
            c = 0;
        }
    }
}

void vt::applyWcc(uint8_t wcc) {
    if (wcc & kKeyboardRestore) {
        keyboardUnlocked = 1;
        lastAid = kNoAid;
    }
    if (wcc & kResetMdt) {
        // Branch-free: the marker bit, shifted down, is exactly the MDT bit, so
        // only attribute cells lose it (a character cell keeps its typed mark).
        static_assert(cell::FieldAttribute >> 8 == cell::Modified);
        const int count = cells_;
        for (int a = 0; a < count; ++a) {
            presentationSpace[a] &= ~((presentationSpace[a] & cell::FieldAttribute) >> 8);
        }
    }
    if ((wcc & kSoundAlarm) && settings.bell) {
        ui.beep(MessageIcon::Information);
    }
}

void vt::processWrite(const uint8_t* data, size_t wccPosition, size_t lastIndex) {
    characterAttributes = 0;
    if (wccPosition > lastIndex) {
        return;
    }
    applyWcc(data[wccPosition]);
    size_t i = wccPosition + 1;
    if (i > lastIndex) {
        return;
    }
    if (data[i] != kSetBufferAddress) {
        bufferAddress = cursorAddress;
    }
    if (bufferAddress < 0 || bufferAddress >= cells_) {
        bufferAddress = 0;
    }

    while (i <= lastIndex) {
        const size_t remaining = lastIndex - i + 1;
        const uint8_t order = data[i];
        const size_t needed = kOrderLength[order];
        if (needed == 0) {
            writeCharacters(data, i, lastIndex);
            orderState = kAfterCharacter;
            continue;
        }
        if (remaining < needed) {
            programCheck = 1;
            return;
        }
        uint32_t& current = presentationSpace[bufferAddress];
        switch (order) {
            case kSetBufferAddress: {
                suppressWrite = 0;
                const int address = decodeAddress(data[i + 1], data[i + 2]);
                if (address < cells_) {
                    bufferAddress = address;
                } else {
                    suppressWrite = 1;
                    programCheck = 1;
                    bufferAddress = address % cells_;
                }
                orderState = kAfterOrder;
                i += 3;
                break;
            }
            case kStartField:
                current = cell::attributeCell(data[i + 1]);
                bufferAddress = wrap(bufferAddress + 1);
                orderState = kAfterOrder;
                i += 2;
                break;
            case kStartFieldExtended:
            case kModifyField: {
                const size_t pairs = data[i + 1];
                if (remaining - 2 < 2 * pairs) {
                    return;
                }
                if (order == kModifyField && !cell::isAttribute(current)) {
                    return;
                }
                for (size_t k = 0; k < pairs; ++k) {
                    if (order == kStartFieldExtended && k == 0) {
                        current = 0;
                        characterAttributes &= ~cell::ResetMark;
                    }
                    applyFieldPair(data[i + 2 + 2 * k], data[i + 3 + 2 * k]);
                }
                if (order == kStartFieldExtended) {
                    if (pairs == 0) {
                        current = cell::attributeCell(0);
                    }
                    current |= cell::FieldAttribute | cell::ExtendedField;
                }
                bufferAddress = wrap(bufferAddress + 1);
                orderState = kAfterOrder;
                i += 2 + 2 * pairs;
                break;
            }
            case kSetAttribute:
                applySetAttribute(data[i + 1], data[i + 2]);
                orderState = kAfterOrder;
                i += 3;
                break;
            case kInsertCursor:
                cursorAddress = bufferAddress;
                orderState = kAfterOrder;
                i += 1;
                break;
            case kProgramTab:
                programTab();
                i += 1;
                break;
            case kEraseUnprotectedToAddress: {
                const int stop = stopAddress(data[i + 1], data[i + 2]);
                if (stop == bufferAddress) {
                    nullUnprotected(0, cells_);
                } else {
                    nullUnprotected(bufferAddress, distanceTo(stop));
                    bufferAddress = stop;
                }
                orderState = kAfterOrder;
                i += 3;
                break;
            }
            case kRepeatToAddress: {
                uint8_t character = data[i + 3];
                size_t length = 4;
                if (character == kGraphicEscape) {
                    if (remaining < 5) {
                        programCheck = 1;
                        return;
                    }
                    character = kGraphicEscapeCharacter;
                    length = 5;
                }
                const int stop = stopAddress(data[i + 1], data[i + 2]);
                const uint32_t value = character | characterAttributes;
                if (stop == bufferAddress) {
                    std::fill_n(presentationSpace.begin(), cells_, value);
                } else {
                    for (int p = bufferAddress; p != stop; p = wrap(p + 1)) {
                        presentationSpace[p] = value;
                    }
                    bufferAddress = stop;
                }
                orderState = kAfterOrder;
                i += length;
                break;
            }
            case kGraphicEscape:
                current = kGraphicEscapeCharacter;
                bufferAddress = wrap(bufferAddress + 1);
                i += 2;
                break;
            default:
                break;
        }
    }
}

void vt::writeCharacters(const uint8_t* data, size_t& i, size_t lastIndex) {
    // A run of characters up to the next order, with the write state kept in
    // locals: stores into the cells cannot then force it to be reloaded.
    uint32_t* cells = presentationSpace.data();
    const int count = cells_;
    const uint32_t attributes = characterAttributes;
    const bool store = !suppressWrite;
    int address = bufferAddress;
    for (; i <= lastIndex && kOrderLength[data[i]] == 0; ++i) {
        if (data[i] == kNewLine) {
            address = (address / kColumns + 1) * kColumns;
            if (address >= count) {
                address = 0;
            }
            continue;
        }
        if (store) {
            cells[address] = data[i] | attributes;
        }
        if (++address == count) {
            address = 0;
        }
    }
    bufferAddress = address;
}

int vt::stopAddress(uint8_t b1, uint8_t b2) {
    const int address = decodeAddress(b1, b2);
    if (address < cells_) {
        return address;
    }
    programCheck = 1;
    return address % cells_;
}

int vt::distanceTo(int stop) const {
    return stop >= bufferAddress ? stop - bufferAddress : stop + cells_ - bufferAddress;
}

void vt::programTab() {
    const uint32_t current = presentationSpace[bufferAddress];
    const bool atUnprotectedAttribute = cell::isAttribute(current) && !(current & cell::Protected);
    if (atUnprotectedAttribute || orderState == kAfterOrder || orderState == kAfterTab) {
        bufferAddress = nextUnprotectedField(bufferAddress);
        orderState = kAfterTab;
        return;
    }
    // Right after a character: the rest of the field is nulled, up to the last address.
    for (int p = bufferAddress; p < cells_ && !cell::isAttribute(presentationSpace[p]); ++p) {
        presentationSpace[p] = 0;
    }
    const int found = findUnprotectedAttribute(bufferAddress);
    bufferAddress = found < 0 ? 0 : wrap(found + 1);
    orderState = found < 0 ? kAfterEmptyTab : kAfterTab;
}

void vt::applyFieldPair(uint8_t type, uint8_t value) {
    uint32_t& c = presentationSpace[bufferAddress];
    switch (type) {
        case kFieldAttribute:
            c = (c & ~cell::AttributeByteMask) | cell::attributeCell(value);
            break;
        case kHighlighting:
            if (value == 0) {
                c &= ~cell::HighlightMask;
            } else {
                c |= highlightBit(value);
            }
            break;
        case kColour:
            c = (c & ~cell::ColourMask) | colourBits(value);
            break;
        default:
            break;
    }
}

void vt::applySetAttribute(uint8_t type, uint8_t value) {
    uint32_t& c = presentationSpace[bufferAddress];
    switch (type) {
        case kAllAttributes:
            characterAttributes = cell::ResetMark;
            c |= cell::ResetMark;
            break;
        case kHighlighting:
            if (value == 0) {
                characterAttributes =
                    (characterAttributes & ~cell::HighlightMask) | cell::ResetMark;
            } else if (const uint32_t bit = highlightBit(value)) {
                characterAttributes = (characterAttributes | bit) & ~cell::ResetMark;
            }
            c = (c & ~cell::HighlightMask) | characterAttributes;
            break;
        case kColour:
            characterAttributes = (characterAttributes & ~cell::ColourMask) | colourBits(value);
            c = (c & ~cell::ColourMask) | characterAttributes;
            break;
        case kFieldAttribute:
            c = cell::attributeCell(value);
            break;
        default:
            break;
    }
}

void vt::writeCharacter(uint8_t code) {
    if (bufferAddress < 0 || bufferAddress >= cells_) {
        bufferAddress = 0;
    }
    if (code == kNewLine) {
        bufferAddress = (bufferAddress / kColumns + 1) * kColumns;
        if (bufferAddress >= cells_) {
            bufferAddress = 0;
        }
        return;
    }
    if (code == kGraphicEscape) {
        code = kGraphicEscapeCharacter;
    }
    if (!suppressWrite) {
        presentationSpace[bufferAddress] = code | characterAttributes;
    }
    bufferAddress = wrap(bufferAddress + 1);
}

}  // namespace kestrel
