// Inbound records: what the terminal sends to the host.
//
// An attention key (Enter, PF1-PF24, PA1-PA3, Clear) and the host's read
// commands (Read Buffer, Read Modified, Read Modified All) leave one pending
// record in the engine: the AID, the cursor address and the screen's data in
// the layout the read mode asks for. The engine never writes to the
// connection; the caller takes the record and sends it. ATTN and SYSREQ are
// telnet commands, not records: the caller takes their flags first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kestrel {

class vt;

// Attention identifiers with a meaning of their own to the reply builder.
namespace aid {
inline constexpr uint8_t kEnter = 0x7D;
inline constexpr uint8_t kClear = 0x6D;
inline constexpr uint8_t kPa1 = 0x6C;
inline constexpr uint8_t kPa2 = 0x6E;
inline constexpr uint8_t kPa3 = 0x6B;
inline constexpr uint8_t kNone = 0x60;
inline constexpr uint8_t kStructuredField = 0x88;
}  // namespace aid

// The largest record the engine can build for a screen of CELLS cells: the AID
// and cursor address, then at most eight bytes a cell (a Start Field Extended
// with its three pairs in a Read Buffer; a Read Modified needs seven, two Set
// Attribute orders and the character). Replies are sized for this and never cut.
constexpr size_t maxReplySize(int cells) {
    return 3 + 8 * size_t(cells < 0 ? 0 : cells);
}

// Builds the pending record for AID by the engine's readMode: 1 Read Buffer,
// 3 Read Modified All, anything else Read Modified. Clears insertMode, and
// readMode afterwards.
void buildReadReply(vt& engine, uint8_t aid);

// The attention path of a bound key. CLEAR first clears the screen. Sets
// lastAid and functionName, locks the keyboard and builds the reply. Returns 1:
// there is something to send.
int sendAid(vt& engine, uint8_t aid);

// The same for the menu commands Clear and PA1-PA3, which name themselves and
// pay no attention to the keyboard lock.
void sendAidByName(vt& engine, uint8_t aid, std::string_view name);

// The pending record, once; nothing when none is pending. Taking it locks the
// keyboard until the host restores it.
std::optional<std::vector<uint8_t>> takePendingRecord(vt& engine);

// Whether an ATTN (IAC BRK) or SYSREQ (IAC IP) is to be sent; reading clears it.
bool takeAttnPending(vt& engine);
bool takeSysreqPending(vt& engine);

}  // namespace kestrel
