// RSA public-key encryption with PKCS#1 v1.5 block type 2 padding (RFC 2313).
#include "ssl/rsa.h"

#include <cstring>

#include "ssl/random.h"

namespace kestrel {
namespace {

// 00, 02, at least eight padding bytes, 00 (RFC 2313 section 8.1).
constexpr size_t kPaddingOverhead = 11;

uint8_t nonZeroRandomByte() {
    uint8_t byte;
    do {
        byte = randomByte();
    } while (byte == 0);
    return byte;
}

}  // namespace

std::optional<RsaPublicKey> rsaKeySetup(const uint8_t* exponent, size_t exponentLength,
                                        const uint8_t* modulus, size_t modulusLength) {
    RsaPublicKey key;
    key.modulus = BigNumber::fromBytes(modulus, modulusLength);
    if (bigSignificantWords(key.modulus) == 0) {
        return std::nullopt;
    }
    key.exponent = BigNumber::fromBytes(exponent, exponentLength);
    key.modulusLength = modulusLength;
    return key;
}

bool rsaEncrypt(uint8_t* block, size_t dataLength, const RsaPublicKey& key) {
    const size_t length = key.modulusLength;
    // The encryption block is as long as the modulus without leading zero
    // bytes, so that it is always below the modulus; a modulus given with
    // leading zeros gives a result with as many leading zeros.
    const size_t k = bigSignificantBytes(key.modulus);
    if (k == 0 || k > length || k < kPaddingOverhead || dataLength > k - kPaddingOverhead) {
        return false;
    }
    const size_t start = length - k;
    const size_t dataStart = length - dataLength;
    std::memmove(block + dataStart, block, dataLength);
    std::memset(block, 0, start);
    block[start] = 0;
    block[start + 1] = 2;
    for (size_t i = start + 2; i < dataStart - 1; ++i) {
        block[i] = nonZeroRandomByte();
    }
    block[dataStart - 1] = 0;

    const BigNumber message = BigNumber::fromBytes(block + start, k);
    const BigNumber cipher = bigModularPower(message, key.exponent, key.modulus);
    // The result is below the modulus, so it fits; the zeros ahead of it stay.
    return bigToBytes(cipher, block, length);
}

}  // namespace kestrel
