// Write Structured Field: the walk over the structured fields and their actions.
#include "engine/structured_fields.h"

#include <algorithm>

#include "engine/cell.h"
#include "engine/commands.h"
#include "engine/read_reply.h"
#include "engine/vt.h"

namespace kestrel {
namespace {

enum StructuredFieldId : uint8_t {
    kReadPartition = 0x01,
    kEraseReset = 0x03,
    kSetReplyMode = 0x09,
    kOutbound3270DS = 0x40,
};

using namespace command;

enum ReplyMode : uint8_t { kFieldMode = 0x00, kExtendedFieldMode = 0x01, kCharacterMode = 0x02 };

constexpr uint8_t kHighlightingType = 0x41;
constexpr uint8_t kColourType = 0x42;
constexpr uint8_t kUseAlternateSize = 0x80;

// Length (two bytes) and identifier.
constexpr size_t kHeaderLength = 3;
// Offsets inside a structured field.
constexpr size_t kEraseResetFlags = 3;
constexpr size_t kReplyModeByte = 4;
constexpr size_t kReplyModeAttributeTypes = 5;
constexpr size_t kDataStreamCommand = 4;
constexpr size_t kDataStreamWcc = 5;

// One structured field: where it starts, the end of its bytes inside the record
// and whether its declared length fits in the record.
struct StructuredField {
    size_t start;
    size_t end;
    bool whole;

    // Whether the byte at OFFSET belongs to the field and is present.
    bool has(size_t offset) const { return start + offset < end; }
};

void eraseReset(vt& engine, uint8_t flags) {
    if (flags & kUseAlternateSize) {
        engine.switchToAlternateSize();
    } else {
        engine.switchToDefaultSize();
    }
    engine.clearPresentationSpace();
}

void setReplyMode(vt& engine, const uint8_t* data, const StructuredField& field) {
    switch (data[field.start + kReplyModeByte]) {
        case kFieldMode:
            engine.replyHighlight = 0;
            engine.replyColour = 0;
            break;
        case kExtendedFieldMode:
            engine.replyHighlight = 1;
            engine.replyColour = 1;
            break;
        case kCharacterMode:
            // The attribute types the host wants in character replies; others
            // are not supported and leave the flags as they are.
            for (size_t i = field.start + kReplyModeAttributeTypes; i < field.end; ++i) {
                if (data[i] == kHighlightingType) {
                    engine.replyHighlight = 1;
                } else if (data[i] == kColourType) {
                    engine.replyColour = 1;
                }
            }
            break;
        default:
            break;
    }
}

bool isWriteCommand(uint8_t command) {
    switch (command) {
        case kWrite:
        case kWriteRemote:
        case kEraseWrite:
        case kEraseWriteRemote:
        case kEraseWriteAlternate:
        case kEraseWriteAlternateRemote:
            return true;
        default:
            return false;
    }
}

// Returns false when the field is cut off: the command, and for the write
// commands their WCC, must be present, and the whole field inside the record.
bool outbound3270DS(vt& engine, const uint8_t* data, const StructuredField& field) {
    if (!field.whole || !field.has(kDataStreamCommand)) {
        return false;
    }
    const uint8_t command = data[field.start + kDataStreamCommand];
    // Erase All Unprotected and the read commands carry no WCC.
    if (isWriteCommand(command) && !field.has(kDataStreamWcc)) {
        return false;
    }
    engine.suppressWrite = 0;
    const size_t wcc = field.start + kDataStreamWcc;
    const size_t last = field.end - 1;
    switch (command) {
        case kWrite:
        case kWriteRemote:
            engine.processWrite(data, wcc, last);
            break;
        case kEraseWrite:
        case kEraseWriteRemote:
            engine.eraseWrite(data, wcc, last);
            break;
        case kEraseWriteAlternate:
        case kEraseWriteAlternateRemote:
            engine.eraseWriteAlternate(data, wcc, last);
            break;
        case kEraseAllUnprotected:
        case kEraseAllUnprotectedRemote:
            engine.eraseAllUnprotected();
            break;
        default:
            // Read commands and anything else: the terminal answers reads only
            // when they come as commands of their own.
            break;
    }
    return true;
}

// Acts on one structured field. Returns false when the field is cut off
// before the bytes its action needs.
bool apply(vt& engine, const uint8_t* data, const StructuredField& field) {
    switch (data[field.start + 2]) {
        case kReadPartition:
            // Query, Query List or anything else: the whole reply answers all.
            buildQueryReply(engine);
            return true;
        case kEraseReset:
            if (!field.has(kEraseResetFlags)) {
                return false;
            }
            eraseReset(engine, data[field.start + kEraseResetFlags]);
            return true;
        case kSetReplyMode:
            if (!field.has(kReplyModeByte)) {
                return false;
            }
            setReplyMode(engine, data, field);
            return true;
        case kOutbound3270DS:
            return outbound3270DS(engine, data, field);
        default:
            return true;
    }
}

}  // namespace

std::array<uint8_t, kQueryReplySize> queryReply(int alternateRows) {
    const bool model2 = alternateRows == vt::kDefaultRows;
    const uint8_t height = model2 ? 24 : 32;
    const int bufferSize = vt::kColumns * height;
    const uint8_t sizeHigh = uint8_t(bufferSize >> 8);
    const uint8_t sizeLow = uint8_t(bufferSize);
    // One query reply structured field a line: length, 0x81, type, contents.
    // clang-format off
    return {
        aid::kStructuredField,
        // Colour: eight pairs, the default shown as green, the rest as themselves.
        0x00, 0x16, 0x81, 0x86, 0x00, 0x08, 0x00, 0xF4, 0xF1, 0xF1, 0xF2, 0xF2, 0xF3, 0xF3, 0xF4, 0xF4, 0xF5, 0xF5, 0xF6, 0xF6, 0xF7, 0xF7,
        // Highlighting: default as normal; blink, reverse and underscore as themselves.
        0x00, 0x0D, 0x81, 0x87, 0x04, 0x00, 0xF0, 0xF1, 0xF1, 0xF2, 0xF2, 0xF4, 0xF4,
        // Usable Area: 12/14-bit addressing, 80 columns by the alternate height,
        // millimetre units and ratios, 9x12 cells, the buffer size.
        0x00, 0x17, 0x81, 0x81, 0x01, 0x00, 0x00, 0x50, 0x00, height, 0x01, 0x00, 0x0A, 0x02, 0xE5, 0x00, 0x02, 0x00, 0x6F, 0x09, 0x0C, sizeHigh, sizeLow,
        // Implicit Partition: default 80x24, alternate 80 by the alternate height.
        0x00, 0x11, 0x81, 0xA6, 0x00, 0x00, 0x0B, 0x01, 0x00, 0x00, 0x50, 0x00, 0x18, 0x00, 0x50, 0x00, height,
        // Reply Modes: field, extended field, character.
        0x00, 0x07, 0x81, 0x88, 0x00, 0x01, 0x02,
        // Character Sets: 9x16 cells, one descriptor.
        0x00, 0x10, 0x81, 0x85, 0x00, 0x00, 0x09, 0x10, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0xFF,
    };
    // clang-format on
}

void buildQueryReply(vt& engine) {
    const auto reply = queryReply(engine.settings.alternate);
    engine.pendingRecord.bytes.assign(reply.begin(), reply.end());
    engine.pendingRecord.pending = true;
}

void processStructuredFields(vt& engine, const uint8_t* data, size_t length) {
    for (size_t start = 0; start + kHeaderLength <= length;) {
        const size_t declared = size_t(data[start]) << 8 | data[start + 1];
        // A length too short for the field's own header would make the next
        // field start inside this one's header: the record is malformed.
        if (declared != 0 && declared < kHeaderLength) {
            engine.programCheck = 1;
            return;
        }
        // A length of 0 marks the last structured field, running to the end.
        const size_t declaredEnd = declared == 0 ? length : start + declared;
        const StructuredField field{start, std::min(declaredEnd, length), declaredEnd <= length};
        if (!apply(engine, data, field)) {
            engine.programCheck = 1;
            return;
        }
        if (declared == 0) {
            return;
        }
        start += declared;
    }
}

}  // namespace kestrel
