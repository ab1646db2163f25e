// RSA public-key encryption with PKCS#1 v1.5 block type 2 padding, on big
// numbers of 16-bit words (least significant word first).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "ssl/big_number.h"

namespace kestrel {

struct RsaPublicKey {
    BigNumber modulus;
    BigNumber exponent;
    size_t modulusLength = 0;  // in bytes
};

// The key of a big-endian exponent and modulus; nothing when they are unusable
// (an empty or zero modulus).
std::optional<RsaPublicKey> rsaKeySetup(const uint8_t* exponent, size_t exponentLength,
                                        const uint8_t* modulus, size_t modulusLength);

// Pads the DATALENGTH bytes at the start of BLOCK (block type 2, random
// non-zero padding) and encrypts them in place: BLOCK then holds the
// modulusLength-byte result, big-endian. BLOCK must have room for
// modulusLength bytes; false when the data is too long for the modulus.
bool rsaEncrypt(uint8_t* block, size_t dataLength, const RsaPublicKey& key);

}  // namespace kestrel
