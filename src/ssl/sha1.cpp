// SHA-1 (FIPS 180-1): eighty steps over each 64-byte block with the message
// schedule expanded from its sixteen big-endian words; padding as MD5's but
// with the bit length big-endian.
#include "ssl/sha1.h"

#include "ssl/hash_blocks.h"

namespace kestrel {
namespace {

uint32_t rotateLeft(uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

uint32_t loadBigEndian(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

void storeBigEndian(uint8_t* p, uint32_t x) {
    p[0] = uint8_t(x >> 24);
    p[1] = uint8_t(x >> 16);
    p[2] = uint8_t(x >> 8);
    p[3] = uint8_t(x);
}

void transform(uint32_t state[5], const uint8_t block[64]) {
    uint32_t w[80];
    for (int t = 0; t < 16; ++t) {
        w[t] = loadBigEndian(block + 4 * t);
    }
    // The one-bit rotation is what distinguishes SHA-1 from SHA-0.
    for (int t = 16; t < 80; ++t) {
        w[t] = rotateLeft(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
    }
    uint32_t a = state[0];
    uint32_t b = state[1];
    uint32_t c = state[2];
    uint32_t d = state[3];
    uint32_t e = state[4];
    for (int t = 0; t < 80; ++t) {
        uint32_t f;
        uint32_t k;
        if (t < 20) {
            f = (b & c) | (~b & d);
            k = 0x5a827999;
        } else if (t < 40) {
            f = b ^ c ^ d;
            k = 0x6ed9eba1;
        } else if (t < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8f1bbcdc;
        } else {
            f = b ^ c ^ d;
            k = 0xca62c1d6;
        }
        const uint32_t temp = rotateLeft(a, 5) + f + e + w[t] + k;
        e = d;
        d = c;
        c = rotateLeft(b, 30);
        b = a;
        a = temp;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
}

}  // namespace

void Sha1::init() {
    state_[0] = 0x67452301;
    state_[1] = 0xefcdab89;
    state_[2] = 0x98badcfe;
    state_[3] = 0x10325476;
    state_[4] = 0xc3d2e1f0;
    bitCount_ = 0;
}

void Sha1::update(const uint8_t* data, size_t length) {
    hash_blocks::feed(block_, bitCount_, data, length,
                      [this](const uint8_t* block) { transform(state_, block); });
}

void Sha1::final(uint8_t digest[kDigestSize]) {
    uint8_t trailer[hash_blocks::kMaxTrailer];
    const size_t length = hash_blocks::trailer(bitCount_, true, trailer);
    update(trailer, length);
    for (int i = 0; i < 5; ++i) {
        storeBigEndian(digest + 4 * i, state_[i]);
    }
    init();
}

}  // namespace kestrel
