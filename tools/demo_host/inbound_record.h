// What a client sends in a 3270 record: an attention key with the cursor
// address and the modified fields (Read Modified layout), or the query reply.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::demo_host {

// Attention identifiers.
inline constexpr uint8_t kAidNone = 0x60;
inline constexpr uint8_t kAidEnter = 0x7D;
inline constexpr uint8_t kAidClear = 0x6D;
inline constexpr uint8_t kAidPa1 = 0x6C;
inline constexpr uint8_t kAidPa2 = 0x6E;
inline constexpr uint8_t kAidPa3 = 0x6B;
inline constexpr uint8_t kAidPf3 = 0xF3;
inline constexpr uint8_t kAidStructuredField = 0x88;

// "ENTER", "CLEAR", "PA1" … "PA3", "PF1" … "PF24", "QUERY REPLY", "NO AID",
// or "AID xx" for a byte that names no key.
std::string aidName(uint8_t aid);
// The PF key number of AID, 1-24, or 0 when AID is no PF key.
int pfKeyNumber(uint8_t aid);
bool isPaKey(uint8_t aid);

// The text of one modified field: the address after its attribute, and its
// characters converted to Latin-1 (control codes become blanks).
struct InboundField {
    int address = -1;  // -1: data of an unformatted screen
    std::string text;
};

struct InboundRecord {
    uint8_t aid = kAidNone;
    bool shortRead = false;  // the AID alone
    int cursor = -1;
    std::vector<InboundField> fields;
    bool malformed = false;  // cut off inside an order

    // The text of the field whose data starts at ADDRESS, if it was sent.
    std::optional<std::string> field(int address) const;
};

// Parses a Read Modified reply. Addresses may be 12-bit or 14-bit. Set Attribute
// orders in the data are skipped. An empty record gives aid kAidNone.
InboundRecord parseInboundRecord(std::span<const uint8_t> record);

// What the query reply says about the display.
struct QueryReplySummary {
    size_t length = 0;  // of the whole record, the AID included
    int replies = 0;    // query reply structured fields seen
    int width = -1;     // usable area; -1 when not reported
    int height = -1;
    int alternateWidth = -1;  // implicit partition; -1 when not reported
    int alternateHeight = -1;
    bool malformed = false;
};

// Parses a record that starts with AID 0x88.
QueryReplySummary parseQueryReply(std::span<const uint8_t> record);

// Leading and trailing blanks removed.
std::string trimmed(std::string_view text);

}  // namespace kestrel::demo_host
