// Big-number arithmetic on 16-bit words with 32-bit intermediates.
#include "ssl/big_number.h"

#include <bit>

namespace kestrel {
namespace {

constexpr uint32_t kBase = 0x10000;

void trim(BigNumber& value) {
    value.words.resize(bigSignificantWords(value));
}

// Division by a single word: the remainder is below 2^16, so each partial
// dividend (remainder * 2^16 + word) fits 32 bits.
void divideByWord(const BigNumber& dividend, size_t length, uint16_t divisor, BigNumber* quotient,
                  BigNumber* remainder) {
    std::vector<uint16_t> q(length);
    uint32_t rest = 0;
    for (size_t i = length; i-- > 0;) {
        const uint32_t partial = rest * kBase + dividend.words[i];
        q[i] = uint16_t(partial / divisor);
        rest = partial % divisor;
    }
    if (quotient != nullptr) {
        quotient->words = std::move(q);
        trim(*quotient);
    }
    if (remainder != nullptr) {
        remainder->words.assign(1, uint16_t(rest));
        trim(*remainder);
    }
}

}  // namespace

BigNumber BigNumber::fromBytes(const uint8_t* bytes, size_t length) {
    BigNumber value;
    value.words.assign((length + 1) / 2, 0);
    for (size_t w = 0; w < value.words.size(); ++w) {
        const size_t low = length - 1 - 2 * w;
        uint16_t word = bytes[low];
        if (low > 0) {
            word |= uint16_t(bytes[low - 1] << 8);
        }
        value.words[w] = word;
    }
    return value;
}

size_t bigSignificantWords(const BigNumber& value) {
    size_t n = value.words.size();
    while (n > 0 && value.words[n - 1] == 0) {
        --n;
    }
    return n;
}

size_t bigSignificantBytes(const BigNumber& value) {
    const size_t n = bigSignificantWords(value);
    if (n == 0) {
        return 0;
    }
    return 2 * n - (value.words[n - 1] < 0x100 ? 1 : 0);
}

int bigCompare(const BigNumber& a, const BigNumber& b) {
    const size_t na = bigSignificantWords(a);
    const size_t nb = bigSignificantWords(b);
    if (na != nb) {
        return na < nb ? -1 : 1;
    }
    for (size_t i = na; i-- > 0;) {
        if (a.words[i] != b.words[i]) {
            return a.words[i] < b.words[i] ? -1 : 1;
        }
    }
    return 0;
}

BigNumber bigMultiply(const BigNumber& a, const BigNumber& b) {
    const size_t na = bigSignificantWords(a);
    const size_t nb = bigSignificantWords(b);
    BigNumber product;
    product.words.assign(na + nb, 0);
    for (size_t i = 0; i < na; ++i) {
        // (2^16 - 1)^2 + 2 * (2^16 - 1) = 2^32 - 1: word product, the word
        // already there and the carry never overflow 32 bits.
        uint32_t carry = 0;
        for (size_t j = 0; j < nb; ++j) {
            const uint32_t t = uint32_t(a.words[i]) * b.words[j] + product.words[i + j] + carry;
            product.words[i + j] = uint16_t(t);
            carry = t >> 16;
        }
        product.words[i + nb] = uint16_t(carry);
    }
    trim(product);
    return product;
}

bool bigDivide(const BigNumber& dividend, const BigNumber& divisor, BigNumber* quotient,
               BigNumber* remainder) {
    const size_t n = bigSignificantWords(divisor);
    if (n == 0) {
        return false;
    }
    const size_t length = bigSignificantWords(dividend);
    if (length < n) {
        if (remainder != nullptr) {
            *remainder = dividend;
            trim(*remainder);
        }
        if (quotient != nullptr) {
            quotient->words.clear();
        }
        return true;
    }
    if (n == 1) {
        divideByWord(dividend, length, divisor.words[0], quotient, remainder);
        return true;
    }

    // Normalise: shift both so the divisor's top word has its top bit set;
    // then each trial quotient digit is at most two too large.
    const size_t m = length - n;
    const int shift = std::countl_zero(divisor.words[n - 1]);
    std::vector<uint16_t> v(n);
    for (size_t i = n - 1; i > 0; --i) {
        v[i] = uint16_t(divisor.words[i] << shift | uint32_t(divisor.words[i - 1]) >> (16 - shift));
    }
    v[0] = uint16_t(divisor.words[0] << shift);
    std::vector<uint16_t> u(length + 1);
    u[length] = uint16_t(uint32_t(dividend.words[length - 1]) >> (16 - shift));
    for (size_t i = length - 1; i > 0; --i) {
        u[i] =
            uint16_t(dividend.words[i] << shift | uint32_t(dividend.words[i - 1]) >> (16 - shift));
    }
    u[0] = uint16_t(dividend.words[0] << shift);

    std::vector<uint16_t> q(m + 1);
    for (size_t j = m + 1; j-- > 0;) {
        // Estimate the digit from the top two words of the partial remainder
        // and the top word of the divisor. Since u[j + n] <= v[n - 1], the
        // estimate is at most 2^16 + 1, so the test product below is at most
        // (2^16 + 1) * (2^16 - 1) = 2^32 - 1.
        const uint32_t top = uint32_t(u[j + n]) * kBase + u[j + n - 1];
        uint32_t qhat = top / v[n - 1];
        uint32_t rhat = top % v[n - 1];
        while (qhat >= kBase || qhat * v[n - 2] > rhat * kBase + u[j + n - 2]) {
            --qhat;
            rhat += v[n - 1];
            if (rhat >= kBase) {
                break;
            }
        }

        // Multiply and subtract; the borrow is at most one word.
        uint32_t borrow = 0;
        for (size_t i = 0; i < n; ++i) {
            const uint32_t product = qhat * v[i] + borrow;
            const uint32_t low = product & 0xffff;
            borrow = product >> 16;
            if (u[i + j] < low) {
                ++borrow;
            }
            u[i + j] = uint16_t(u[i + j] - low);
        }
        const bool negative = u[j + n] < borrow;
        u[j + n] = uint16_t(u[j + n] - borrow);

        // The estimate was one too large (rare): add the divisor back.
        if (negative) {
            --qhat;
            uint32_t carry = 0;
            for (size_t i = 0; i < n; ++i) {
                const uint32_t t = uint32_t(u[i + j]) + v[i] + carry;
                u[i + j] = uint16_t(t);
                carry = t >> 16;
            }
            u[j + n] = uint16_t(u[j + n] + carry);
        }
        q[j] = uint16_t(qhat);
    }

    if (quotient != nullptr) {
        quotient->words = std::move(q);
        trim(*quotient);
    }
    if (remainder != nullptr) {
        // Shift the low n words back.
        remainder->words.assign(n, 0);
        for (size_t i = 0; i < n; ++i) {
            const uint32_t high = i + 1 < n ? uint32_t(u[i + 1]) << 16 : 0;
            remainder->words[i] = uint16_t((high | u[i]) >> shift);
        }
        trim(*remainder);
    }
    return true;
}

BigNumber bigModularPower(const BigNumber& base, const BigNumber& exponent,
                          const BigNumber& modulus) {
    BigNumber reduced;
    bigDivide(base, modulus, nullptr, &reduced);
    // Left to right from the exponent's highest set bit; x^0 = 1.
    BigNumber result;
    result.words.assign(1, 1);
    bigDivide(result, modulus, nullptr, &result);
    for (size_t w = bigSignificantWords(exponent); w-- > 0;) {
        for (int bit = 15; bit >= 0; --bit) {
            result = bigMultiply(result, result);
            bigDivide(result, modulus, nullptr, &result);
            if (exponent.words[w] >> bit & 1) {
                result = bigMultiply(result, reduced);
                bigDivide(result, modulus, nullptr, &result);
            }
        }
    }
    return result;
}

bool bigToBytes(const BigNumber& value, uint8_t* out, size_t length) {
    if (bigSignificantBytes(value) > length) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        const size_t w = i / 2;
        const uint16_t word = w < value.words.size() ? value.words[w] : 0;
        out[length - 1 - i] = uint8_t(i % 2 == 0 ? word : word >> 8);
    }
    return true;
}

}  // namespace kestrel
