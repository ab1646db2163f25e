// Outbound framing of 3270 records: IAC doubling and the closing IAC EOR.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrel {

// With FRAMING (record mode), every 255 in DATA is doubled (RFC 854) and
// IAC EOR (255 239, RFC 885) is appended; without it DATA comes back unchanged.
std::vector<uint8_t> frame(const uint8_t* data, size_t length, bool framing);

}  // namespace kestrel
