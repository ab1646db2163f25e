#include "demo_host/inbound_record.h"

#include <cstdio>

#include "demo_host/ebcdic_037.h"
#include "engine/vt.h"

namespace kestrel::demo_host {

namespace {

constexpr uint8_t kSetBufferAddress = 0x11;
constexpr uint8_t kSetAttribute = 0x28;
constexpr uint8_t kQueryReply = 0x81;
constexpr uint8_t kUsableArea = 0x81;
constexpr uint8_t kImplicitPartition = 0xA6;

// PF1-PF24 in key order.
constexpr uint8_t kPfAids[24] = {0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8,
                                 0xF9, 0x7A, 0x7B, 0x7C, 0xC1, 0xC2, 0xC3, 0xC4,
                                 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0x4A, 0x4B, 0x4C};

int bigEndian16(std::span<const uint8_t> data, size_t at) {
    return data[at] << 8 | data[at + 1];
}

}  // namespace

int pfKeyNumber(uint8_t aid) {
    for (int i = 0; i < 24; ++i) {
        if (kPfAids[i] == aid) {
            return i + 1;
        }
    }
    return 0;
}

bool isPaKey(uint8_t aid) {
    return aid == kAidPa1 || aid == kAidPa2 || aid == kAidPa3;
}

std::string aidName(uint8_t aid) {
    switch (aid) {
        case kAidEnter:
            return "ENTER";
        case kAidClear:
            return "CLEAR";
        case kAidPa1:
            return "PA1";
        case kAidPa2:
            return "PA2";
        case kAidPa3:
            return "PA3";
        case kAidStructuredField:
            return "QUERY REPLY";
        case kAidNone:
            return "NO AID";
        default:
            break;
    }
    if (const int pf = pfKeyNumber(aid); pf != 0) {
        return "PF" + std::to_string(pf);
    }
    char name[8];
    std::snprintf(name, sizeof name, "AID %02X", aid);
    return name;
}

std::optional<std::string> InboundRecord::field(int address) const {
    for (const InboundField& f : fields) {
        if (f.address == address) {
            return f.text;
        }
    }
    return std::nullopt;
}

InboundRecord parseInboundRecord(std::span<const uint8_t> record) {
    InboundRecord result;
    if (record.empty()) {
        return result;
    }
    result.aid = record[0];
    if (record.size() == 1) {
        result.shortRead = true;
        return result;
    }
    if (record.size() < 3) {
        result.malformed = true;
        return result;
    }
    result.cursor = vt::decodeAddress(record[1], record[2]);
    size_t i = 3;
    while (i < record.size()) {
        const uint8_t byte = record[i];
        if (byte == kSetBufferAddress || byte == kSetAttribute) {
            if (i + 2 >= record.size()) {
                result.malformed = true;
                break;
            }
            if (byte == kSetBufferAddress) {
                result.fields.push_back({vt::decodeAddress(record[i + 1], record[i + 2]), {}});
            }
            i += 3;
            continue;
        }
        if (result.fields.empty()) {
            result.fields.push_back({-1, {}});
        }
        if (byte != 0x00) {
            const char c = fromEbcdic(byte);
            const auto u = static_cast<uint8_t>(c);
            result.fields.back().text.push_back(u < 0x20 || (u >= 0x7F && u < 0xA0) ? ' ' : c);
        }
        ++i;
    }
    return result;
}

QueryReplySummary parseQueryReply(std::span<const uint8_t> record) {
    QueryReplySummary summary;
    summary.length = record.size();
    size_t i = 1;
    while (i < record.size()) {
        if (i + 4 > record.size()) {
            summary.malformed = true;
            break;
        }
        size_t length = static_cast<size_t>(bigEndian16(record, i));
        if (length == 0) {
            length = record.size() - i;  // the last structured field may say "to the end"
        }
        if (length < 4 || i + length > record.size()) {
            summary.malformed = true;
            break;
        }
        const auto sf = record.subspan(i, length);
        if (sf[2] == kQueryReply) {
            ++summary.replies;
            if (sf[3] == kUsableArea && length >= 10) {
                summary.width = bigEndian16(sf, 6);
                summary.height = bigEndian16(sf, 8);
            } else if (sf[3] == kImplicitPartition && length >= 17 && sf[7] == 0x01) {
                summary.alternateWidth = bigEndian16(sf, 13);
                summary.alternateHeight = bigEndian16(sf, 15);
            }
        }
        i += length;
    }
    return summary;
}

std::string trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace kestrel::demo_host
