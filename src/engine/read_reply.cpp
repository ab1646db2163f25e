// Inbound records: the read replies, the attention keys and taking the record.
#include "engine/read_reply.h"

#include <string>

#include "engine/cell.h"
#include "engine/vt.h"
#include "mapping/key_names.h"

namespace kestrel {
namespace {

enum ReadMode { kReadBuffer = 1, kReadModified = 2, kReadModifiedAll = 3 };

constexpr uint8_t kSetBufferAddress = 0x11;
constexpr uint8_t kStartField = 0x1D;
constexpr uint8_t kStartFieldExtended = 0x29;
constexpr uint8_t kSetAttribute = 0x28;
constexpr uint8_t kFieldAttributeType = 0xC0;
constexpr uint8_t kHighlightingType = 0x41;
constexpr uint8_t kColourType = 0x42;

// Host function codes up to this one are local editing functions, not AIDs.
constexpr int kLastLocalFunction = 24;

// The extended highlighting value of a cell: 0x00 for none, else 0xF0 with
// 1 for blink, 2 for reverse and 4 for underscore.
uint8_t highlightValue(uint32_t c) {
    const uint8_t bits = ((c & cell::Blink) ? 1 : 0) | ((c & cell::Reverse) ? 2 : 0) |
                         ((c & cell::Underscore) ? 4 : 0);
    return bits == 0 ? 0 : uint8_t(0xF0 | bits);
}

uint8_t colourValue(uint32_t c) {
    return uint8_t(0xF0 | cell::colour(c));
}

uint8_t attributeByte(uint32_t c) {
    return uint8_t((c & cell::AttributeByteMask) >> cell::AttributeByteShift);
}

void appendAddress(std::vector<uint8_t>& out, int address) {
    const auto encoded = vt::encodeAddress(address);
    out.insert(out.end(), encoded.begin(), encoded.end());
}

bool isShortRead(uint8_t aid) {
    return aid == aid::kPa1 || aid == aid::kPa2 || aid == aid::kPa3 || aid == aid::kClear;
}

void appendReadBuffer(const vt& engine, std::vector<uint8_t>& out) {
    for (int a = 0; a < engine.cells(); ++a) {
        const uint32_t c = engine.presentationSpace[a];
        if (!cell::isAttribute(c)) {
            out.push_back(uint8_t(c & cell::CharacterMask));
        } else if ((c & cell::ExtendedField) && engine.replyHighlight) {
            out.insert(out.end(),
                       {kStartFieldExtended, 0x03, kFieldAttributeType, attributeByte(c),
                        kHighlightingType, highlightValue(c), kColourType, colourValue(c)});
        } else {
            out.push_back(kStartField);
            out.push_back(vt::sixBitCode(attributeByte(c)));
        }
    }
}

void appendModifiedFields(const vt& engine, std::vector<uint8_t>& out) {
    const int cells = engine.cells();
    int first = 0;
    while (first < cells && !cell::isAttribute(engine.presentationSpace[first])) {
        ++first;
    }
    if (first == cells) {
        // Unformatted: the whole buffer is one field, sent without nulls.
        for (int a = 0; a < cells; ++a) {
            if (const uint8_t code = engine.presentationSpace[a] & cell::CharacterMask) {
                out.push_back(code);
            }
        }
        return;
    }

    // What the host was last told by Set Attribute, across all fields.
    uint8_t lastColour = 0;
    uint8_t lastHighlight = 0;
    bool sending = false;
    for (int i = 0, a = first; i < cells; ++i, a = a + 1 == cells ? 0 : a + 1) {
        const uint32_t c = engine.presentationSpace[a];
        if (cell::isAttribute(c)) {
            sending = (c & cell::Modified) != 0;
            if (sending) {
                out.push_back(kSetBufferAddress);
                appendAddress(out, a + 1 == cells ? 0 : a + 1);
            }
            continue;
        }
        if (!sending) {
            continue;
        }
        if (engine.replyColour && cell::colour(c) != lastColour) {
            lastColour = uint8_t(cell::colour(c));
            out.insert(out.end(), {kSetAttribute, kColourType, colourValue(c)});
        }
        if (engine.replyHighlight && highlightValue(c) != lastHighlight) {
            lastHighlight = highlightValue(c);
            out.insert(out.end(), {kSetAttribute, kHighlightingType, lastHighlight});
        }
        if (const uint8_t code = c & cell::CharacterMask) {
            out.push_back(code);
        }
    }
}

void clearForClearKey(vt& engine) {
    engine.clearPresentationSpace();
    engine.render();
}

}  // namespace

void buildReadReply(vt& engine, uint8_t aid) {
    std::vector<uint8_t> record;
    record.reserve(maxReplySize(engine.cells()));
    if (engine.readMode == kReadBuffer) {
        record.push_back(engine.lastAid);
        appendAddress(record, engine.cursorAddress);
        appendReadBuffer(engine, record);
    } else {
        record.push_back(aid);
        if (!isShortRead(aid) || engine.readMode == kReadModifiedAll) {
            appendAddress(record, engine.cursorAddress);
            appendModifiedFields(engine, record);
        }
    }
    engine.pendingRecord.bytes = std::move(record);
    engine.pendingRecord.pending = true;
    engine.insertMode = 0;
    engine.readMode = 0;
}

int sendAid(vt& engine, uint8_t aid) {
    if (aid == aid::kClear) {
        clearForClearKey(engine);
    }
    engine.lastAid = aid;
    const HostFunction* function = aid > kLastLocalFunction ? findHostFunction(aid) : nullptr;
    engine.functionName = function ? std::string(function->name) : std::string();
    engine.keyboardUnlocked = 0;
    buildReadReply(engine, aid);
    return 1;
}

void sendAidByName(vt& engine, uint8_t aid, std::string_view name) {
    engine.functionName = std::string(name);
    if (aid == aid::kClear) {
        clearForClearKey(engine);
    }
    engine.lastAid = aid;
    buildReadReply(engine, aid);
}

std::optional<std::vector<uint8_t>> takePendingRecord(vt& engine) {
    PendingRecord& record = engine.pendingRecord;
    if (!record.pending) {
        return std::nullopt;
    }
    record.pending = false;
    engine.keyboardUnlocked = 0;
    std::vector<uint8_t> bytes = std::move(record.bytes);
    record.bytes.clear();
    return bytes;
}

bool takeAttnPending(vt& engine) {
    const bool pending = engine.attnPending != 0;
    engine.attnPending = 0;
    return pending;
}

bool takeSysreqPending(vt& engine) {
    const bool pending = engine.sysreqPending != 0;
    engine.sysreqPending = 0;
    return pending;
}

}  // namespace kestrel
