// The 64-byte block framing that MD5 and SHA-1 share: buffering input into
// blocks, and the final padding with the message length in bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kestrel::hash_blocks {

constexpr size_t kBlockSize = 64;
// The longest trailer: 0x80, up to 63 zero bytes, the 8-byte length.
constexpr size_t kMaxTrailer = 72;

// Appends DATA to BLOCK, running TRANSFORM on each block as it fills.
template <typename Transform>
void feed(uint8_t (&block)[kBlockSize], uint64_t& bitCount, const uint8_t* data, size_t length,
          Transform transform) {
    size_t used = size_t(bitCount / 8 % kBlockSize);
    bitCount += uint64_t(length) * 8;
    while (length > 0) {
        const size_t take = length < kBlockSize - used ? length : kBlockSize - used;
        std::memcpy(block + used, data, take);
        used += take;
        data += take;
        length -= take;
        if (used == kBlockSize) {
            transform(block);
            used = 0;
        }
    }
}

// The padding for a message of BITS bits: 0x80, zeros up to 56 bytes modulo
// 64, then the bit count, least significant byte first unless BIGENDIAN.
// Returns the trailer's length.
inline size_t trailer(uint64_t bits, bool bigEndian, uint8_t (&out)[kMaxTrailer]) {
    std::memset(out, 0, sizeof out);
    out[0] = 0x80;
    const size_t used = size_t(bits / 8 % kBlockSize);
    const size_t padding = used < 56 ? 56 - used : 120 - used;
    for (size_t i = 0; i < 8; ++i) {
        out[padding + (bigEndian ? 7 - i : i)] = uint8_t(bits >> (8 * i));
    }
    return padding + 8;
}

}  // namespace kestrel::hash_blocks
