// Unsigned big numbers of 16-bit words for the RSA public-key operation:
// schoolbook multiplication, long division with a normalised divisor (Knuth,
// TAOCP vol. 2, 4.3.1, algorithm D) and left-to-right modular exponentiation.
// All products and partial remainders fit 32-bit intermediates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrel {

struct BigNumber {
    std::vector<uint16_t> words;  // least significant first

    // From a big-endian byte string of LENGTH bytes: ceil(length / 2) words.
    static BigNumber fromBytes(const uint8_t* bytes, size_t length);
};

// The number of words without the leading zero words; 0 for the value zero.
size_t bigSignificantWords(const BigNumber& value);
// The number of bytes without the leading zero bytes; 0 for the value zero.
size_t bigSignificantBytes(const BigNumber& value);

// Negative, zero or positive as A is less than, equal to or greater than B.
int bigCompare(const BigNumber& a, const BigNumber& b);

// A times B, without leading zero words.
BigNumber bigMultiply(const BigNumber& a, const BigNumber& b);

// Divides DIVIDEND by DIVISOR; QUOTIENT and REMAINDER (either may be null) get
// the results without leading zero words. False, with nothing written, when the
// divisor is zero.
bool bigDivide(const BigNumber& dividend, const BigNumber& divisor, BigNumber* quotient,
               BigNumber* remainder);

// BASE to the power EXPONENT modulo MODULUS, which must not be zero.
BigNumber bigModularPower(const BigNumber& base, const BigNumber& exponent,
                          const BigNumber& modulus);

// Writes VALUE big-endian into the LENGTH bytes at OUT, left-padded with
// zeros; false, with nothing written, when it needs more than LENGTH bytes.
bool bigToBytes(const BigNumber& value, uint8_t* out, size_t length);

}  // namespace kestrel
