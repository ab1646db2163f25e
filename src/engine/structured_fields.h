// Write Structured Field: the structured fields the terminal understands, and
// the query reply that describes it to the host.
//
// Four structured fields are acted on: Read Partition (answered with the query
// reply of the station's model, whatever was asked), Erase/Reset (switches
// between the default and the alternate screen size), Set Reply Mode (whether
// read replies carry colour and highlighting) and Outbound 3270DS (an ordinary
// write command wrapped in a structured field). Others are skipped.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrel {

class vt;

inline constexpr size_t kQueryReplySize = 99;

// The query reply of a station whose alternate size has ALTERNATE_ROWS rows: 24
// makes it a model 2, anything else a model 3 (32 rows).
std::array<uint8_t, kQueryReplySize> queryReply(int alternateRows);

// Walks the structured fields in DATA, the record after its command byte. A
// field cut off before the bytes its action needs sets programCheck and ends
// the record; what was done before stays.
void processStructuredFields(vt& engine, const uint8_t* data, size_t length);

// Makes the query reply of the engine's model the pending record. Leaves
// readMode, lastAid, insertMode and the keyboard alone.
void buildQueryReply(vt& engine);

}  // namespace kestrel
