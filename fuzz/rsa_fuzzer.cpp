// Arbitrary exponent, modulus and data through rsaKeySetup and rsaEncrypt, in
// buffers of exactly the promised sizes: no access outside them, a result
// below the modulus, refusal exactly when the data is too long. The big-number
// layer is checked on the same bytes: division by the identity q * m + r = a
// with r < m, and modular powers of moduli up to 64 bits against 128-bit
// arithmetic.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ssl/big_number.h"
#include "ssl/rsa.h"

namespace {

using kestrel::BigNumber;

// Input: exponent length, modulus length (two bytes), data length (two bytes),
// then the bytes of the three, taken in turn; missing bytes are zero.
class Reader {
  public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t byte() { return offset_ < size_ ? data_[offset_++] : 0; }
    std::vector<uint8_t> bytes(size_t length) {
        std::vector<uint8_t> out(length);
        for (uint8_t& b : out) {
            b = byte();
        }
        return out;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
};

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::vector<uint8_t> toBytes(const BigNumber& value, size_t length) {
    std::vector<uint8_t> out(length);
    check(kestrel::bigToBytes(value, out.data(), out.size()));
    return out;
}

// A + B on big-endian byte strings of equal length; false on overflow.
bool addInPlace(std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    unsigned carry = 0;
    for (size_t i = a.size(); i-- > 0;) {
        const unsigned sum = a[i] + b[i] + carry;
        a[i] = uint8_t(sum);
        carry = sum >> 8;
    }
    return carry == 0;
}

void checkDivision(const std::vector<uint8_t>& dividendBytes,
                   const std::vector<uint8_t>& divisorBytes) {
    const BigNumber dividend = BigNumber::fromBytes(dividendBytes.data(), dividendBytes.size());
    const BigNumber divisor = BigNumber::fromBytes(divisorBytes.data(), divisorBytes.size());
    BigNumber quotient;
    BigNumber remainder;
    const bool divided = kestrel::bigDivide(dividend, divisor, &quotient, &remainder);
    check(divided == (kestrel::bigSignificantWords(divisor) != 0));
    if (!divided) {
        return;
    }
    check(kestrel::bigCompare(remainder, divisor) < 0);
    const size_t length = dividendBytes.size();
    std::vector<uint8_t> sum = toBytes(kestrel::bigMultiply(quotient, divisor), length);
    check(addInPlace(sum, toBytes(remainder, length)));
    check(sum == dividendBytes);
}

using Wide = unsigned __int128;

// A * B mod M for M below 2^64: the product fits 128 bits.
Wide multiplyMod(Wide a, Wide b, Wide m) {
    return a * b % m;
}

Wide wideOf(const std::vector<uint8_t>& bytes) {
    Wide value = 0;
    for (uint8_t b : bytes) {
        value = value << 8 | b;
    }
    return value;
}

void checkSmallPower(const std::vector<uint8_t>& base, const std::vector<uint8_t>& exponent,
                     const std::vector<uint8_t>& modulus) {
    const BigNumber m = BigNumber::fromBytes(modulus.data(), modulus.size());
    if (kestrel::bigSignificantWords(m) == 0 || kestrel::bigSignificantBytes(m) > 8 ||
        kestrel::bigSignificantBytes(BigNumber::fromBytes(base.data(), base.size())) > 15 ||
        exponent.size() > 16) {
        return;
    }
    const size_t skip = modulus.size() - kestrel::bigSignificantBytes(m);
    const Wide mod = wideOf(std::vector<uint8_t>(modulus.begin() + skip, modulus.end()));
    const size_t baseSkip =
        base.size() - kestrel::bigSignificantBytes(BigNumber::fromBytes(base.data(), base.size()));
    const Wide b = wideOf(std::vector<uint8_t>(base.begin() + baseSkip, base.end())) % mod;
    Wide expected = 1 % mod;
    for (uint8_t e : exponent) {
        for (int bit = 7; bit >= 0; --bit) {
            expected = multiplyMod(expected, expected, mod);
            if ((e >> bit) & 1) {
                expected = multiplyMod(expected, b, mod);
            }
        }
    }
    const BigNumber result =
        kestrel::bigModularPower(BigNumber::fromBytes(base.data(), base.size()),
                                 BigNumber::fromBytes(exponent.data(), exponent.size()), m);
    check(wideOf(toBytes(result, 16)) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    Reader reader(input, size);
    // The work grows with the exponent's bits times the modulus squared; these
    // bounds keep a run short and still cover the moduli the SSL layer takes
    // (up to 256 bytes, with leading zeros) and the usual exponents 3 and 65537.
    size_t exponentLength = reader.byte() % 17;
    const size_t modulusLength = (reader.byte() | reader.byte() << 8) % 300;
    if (modulusLength > 32) {
        exponentLength = std::min<size_t>(exponentLength, 3);
    }
    const size_t dataLength = (reader.byte() | reader.byte() << 8) % 310;
    const std::vector<uint8_t> exponent = reader.bytes(exponentLength);
    const std::vector<uint8_t> modulus = reader.bytes(modulusLength);
    const std::vector<uint8_t> data = reader.bytes(dataLength);

    checkDivision(data, modulus);
    checkSmallPower(data, exponent, modulus);

    // Exactly sized copies, so that any access outside them is caught.
    std::vector<uint8_t> exponentCopy = exponent;
    std::vector<uint8_t> modulusCopy = modulus;
    const std::optional<kestrel::RsaPublicKey> key = kestrel::rsaKeySetup(
        exponentCopy.data(), exponentCopy.size(), modulusCopy.data(), modulusCopy.size());
    const size_t significant =
        kestrel::bigSignificantBytes(BigNumber::fromBytes(modulus.data(), modulus.size()));
    check(key.has_value() == (significant != 0));
    if (!key) {
        return 0;
    }
    check(key->modulusLength == modulusLength);

    std::vector<uint8_t> block(std::max(modulusLength, dataLength));
    std::copy(data.begin(), data.end(), block.begin());
    const bool encrypted = kestrel::rsaEncrypt(block.data(), dataLength, *key);
    check(encrypted == (significant >= 11 && dataLength <= significant - 11));
    if (!encrypted) {
        check(std::equal(data.begin(), data.end(), block.begin()));
        return 0;
    }
    // Big-endian strings of equal length compare as their numbers.
    check(std::memcmp(block.data(), modulus.data(), modulusLength) < 0);
    return 0;
}
