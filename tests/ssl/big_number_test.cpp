// Big-number arithmetic against libcrypto's: the byte form, products with
// carries across words, long division through its rare correction steps
// (with and without a normalisation shift) and modular powers.
#include "ssl/big_number.h"

#include <gtest/gtest.h>
#include <openssl/bn.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace kestrel {
namespace {

using Bn = std::unique_ptr<BIGNUM, decltype(&BN_free)>;
using BnContext = std::unique_ptr<BN_CTX, decltype(&BN_CTX_free)>;

Bn newBn() {
    return Bn(BN_new(), BN_free);
}

std::vector<uint8_t> fromHex(const std::string& text) {
    std::string digits = text.size() % 2 == 0 ? text : "0" + text;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < digits.size(); i += 2) {
        bytes.push_back(uint8_t(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

BigNumber big(const std::vector<uint8_t>& bytes) {
    return BigNumber::fromBytes(bytes.data(), bytes.size());
}

BigNumber big(const std::string& hexText) {
    return big(fromHex(hexText));
}

// The value as lower-case hex without leading zeros ("0" for zero).
std::string hexOf(const BigNumber& value) {
    std::vector<uint8_t> bytes(value.words.size() * 2);
    EXPECT_TRUE(bigToBytes(value, bytes.data(), bytes.size()));
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    const size_t first = text.find_first_not_of('0');
    return first == std::string::npos ? "0" : text.substr(first);
}

Bn bnOf(const std::vector<uint8_t>& bytes) {
    return Bn(BN_bin2bn(bytes.data(), int(bytes.size()), nullptr), BN_free);
}

std::string hexOf(const BIGNUM* value) {
    char* text = BN_bn2hex(value);
    std::string result(text);
    OPENSSL_free(text);
    for (char& c : result) {
        c = char(std::tolower(c));
    }
    const size_t first = result.find_first_not_of('0');
    return first == std::string::npos ? "0" : result.substr(first);
}

// Random bytes biased towards the values that carries and borrows hinge on.
std::vector<uint8_t> awkwardBytes(std::mt19937& random, size_t length) {
    std::vector<uint8_t> bytes(length);
    const int style = int(random() % 4);
    for (uint8_t& b : bytes) {
        switch (style) {
            case 0:
                b = uint8_t(random());
                break;
            case 1:
                b = random() % 4 == 0 ? uint8_t(random()) : 0xff;
                break;
            case 2:
                b = random() % 4 == 0 ? uint8_t(random()) : 0x00;
                break;
            default:
                b = random() % 2 == 0 ? 0xff : 0x00;
                break;
        }
    }
    return bytes;
}

TEST(BigNumberTest, ReadsBigEndianBytesIntoWordsLeastSignificantFirst) {
    struct Case {
        std::vector<uint8_t> bytes;
        std::vector<uint16_t> words;
    };
    const std::vector<Case> cases = {
        {{}, {}},
        {{0x7f}, {0x007f}},
        {{0x12, 0x34}, {0x1234}},
        {{0x01, 0x02, 0x03}, {0x0203, 0x0001}},
        {{0x00, 0x00, 0xab, 0xcd}, {0xabcd, 0x0000}},
        {{0xff, 0x00, 0x01, 0x80, 0x00}, {0x8000, 0x0001, 0x00ff}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(big(c.bytes).words, c.words) << c.bytes.size() << " bytes";
    }
}

TEST(BigNumberTest, WritesBytesLeftPaddedAndRefusesWhatDoesNotFit) {
    const BigNumber value = big("000102030405");  // five significant bytes in three words
    EXPECT_EQ(bigSignificantBytes(value), 5u);
    uint8_t out[8];
    std::memset(out, 0xee, sizeof out);
    ASSERT_TRUE(bigToBytes(value, out, 7));
    EXPECT_EQ(std::vector<uint8_t>(out, out + 8),
              (std::vector<uint8_t>{0, 0, 1, 2, 3, 4, 5, 0xee}));
    std::memset(out, 0xee, sizeof out);
    EXPECT_FALSE(bigToBytes(value, out, 4));
    EXPECT_EQ(out[0], 0xee);
    EXPECT_TRUE(bigToBytes(BigNumber{}, out, 0));
}

TEST(BigNumberTest, ComparesIgnoringLeadingZeroWords) {
    EXPECT_EQ(bigCompare(big("0000000100"), big("0100")), 0);
    EXPECT_LT(bigCompare(big("ffff"), big("010000")), 0);
    EXPECT_GT(bigCompare(big("010001"), big("010000")), 0);
    EXPECT_EQ(bigCompare(BigNumber{}, big("0000")), 0);
}

TEST(BigNumberTest, MultipliesWithCarriesAcrossWords) {
    struct Case {
        const char* a;
        const char* b;
        const char* product;
    };
    const std::vector<Case> cases = {
        {"ffff", "ffff", "fffe0001"},
        {"ffffffffffff", "ffffffffffff", "fffffffffffe000000000001"},
        {"ffffffff", "01", "ffffffff"},
        {"0", "ffff", "0"},
        {"10000", "10000", "100000000"},
        {"00000000abcd", "0000ef", "a06463"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hexOf(bigMultiply(big(c.a), big(c.b))), c.product) << c.a << " * " << c.b;
    }
}

TEST(BigNumberTest, MultipliesLikeLibcrypto) {
    std::mt19937 random(1);
    BnContext context(BN_CTX_new(), BN_CTX_free);
    for (int round = 0; round < 500; ++round) {
        const std::vector<uint8_t> a = awkwardBytes(random, random() % 70);
        const std::vector<uint8_t> b = awkwardBytes(random, random() % 70);
        Bn expected = newBn();
        ASSERT_EQ(BN_mul(expected.get(), bnOf(a).get(), bnOf(b).get(), context.get()), 1);
        ASSERT_EQ(hexOf(bigMultiply(big(a), big(b))), hexOf(expected.get())) << "round " << round;
    }
}

void expectDivisionLikeLibcrypto(const std::vector<uint8_t>& dividend,
                                 const std::vector<uint8_t>& divisor, BN_CTX* context,
                                 const std::string& label) {
    Bn quotient = newBn();
    Bn remainder = newBn();
    ASSERT_EQ(
        BN_div(quotient.get(), remainder.get(), bnOf(dividend).get(), bnOf(divisor).get(), context),
        1);
    BigNumber ourQuotient;
    BigNumber ourRemainder;
    ASSERT_TRUE(bigDivide(big(dividend), big(divisor), &ourQuotient, &ourRemainder));
    EXPECT_EQ(hexOf(ourQuotient), hexOf(quotient.get())) << label;
    EXPECT_EQ(hexOf(ourRemainder), hexOf(remainder.get())) << label;
}

TEST(BigNumberTest, DividesThroughTheRareCorrectionSteps) {
    BnContext context(BN_CTX_new(), BN_CTX_free);
    struct Case {
        const char* dividend;
        const char* divisor;
        const char* why;
    };
    const std::vector<Case> cases = {
        {"7fff800000000000", "800000000001", "digit estimate one too large: add back"},
        {"8cc78f172c9feea45b04", "b403180359b7", "add back without a normalisation shift"},
        {"0baba337cad8ac8911ef", "a072554255", "add back after a normalisation shift"},
        {"867e5e15bc01bfce", "03513f", "the estimate corrected twice"},
        {"ffffffffffffffff", "ffffffff", "all ones"},
        {"ffffffffffffffff", "0001", "divisor of one word, shift 15"},
        {"0001000000000000", "8000", "divisor of one word, top bit set"},
        {"00000000ffff0000", "0000ffff0001", "leading zero words on both sides"},
        {"1234", "123456789a", "dividend smaller than divisor"},
        {"123456789a", "123456789a", "equal"},
        {"0", "77", "zero dividend"},
    };
    for (const Case& c : cases) {
        expectDivisionLikeLibcrypto(fromHex(c.dividend), fromHex(c.divisor), context.get(), c.why);
    }
}

TEST(BigNumberTest, DividesLikeLibcrypto) {
    std::mt19937 random(2);
    BnContext context(BN_CTX_new(), BN_CTX_free);
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> divisor = awkwardBytes(random, 1 + random() % 40);
        divisor[random() % divisor.size()] |= 1;  // not zero
        const std::vector<uint8_t> dividend = awkwardBytes(random, random() % 90);
        expectDivisionLikeLibcrypto(dividend, divisor, context.get(),
                                    "round " + std::to_string(round));
        if (HasFailure()) {
            return;
        }
    }
}

TEST(BigNumberTest, RefusesToDivideByZero) {
    BigNumber quotient = big("55");
    EXPECT_FALSE(bigDivide(big("1234"), big("0000"), &quotient, nullptr));
    EXPECT_FALSE(bigDivide(big("1234"), BigNumber{}, nullptr, nullptr));
    EXPECT_EQ(hexOf(quotient), "55");
}

TEST(BigNumberTest, DividesIntoItsOwnOperand) {
    BigNumber value = big("0baba337cad8ac8911ef");
    ASSERT_TRUE(bigDivide(value, big("a072554255"), nullptr, &value));
    EXPECT_EQ(hexOf(value), "a0072c5444");
}

TEST(BigNumberTest, RaisesToModularPowers) {
    struct Case {
        const char* base;
        const char* exponent;
        const char* modulus;
        const char* result;
    };
    const std::vector<Case> cases = {
        {"41", "11", "0ca1", "ae6"},    // 65^17 mod 3233 = 2790
        {"ae6", "0ac1", "0ca1", "41"},  // and back with d = 2753
        {"05", "0", "0d", "1"},         // x^0 = 1
        {"05", "0", "01", "0"},         // modulo 1 everything is 0
        {"1234", "01", "0100", "34"},   // base above the modulus
        {"0", "03", "0101", "0"},
        {"02", "0100", "010000000000000000000000000000000000000000000000000000000000000000",
         "0"},  // 2^256 mod 2^256
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hexOf(bigModularPower(big(c.base), big(c.exponent), big(c.modulus))), c.result)
            << c.base << " ^ " << c.exponent << " mod " << c.modulus;
    }
}

TEST(BigNumberTest, RaisesToModularPowersLikeLibcrypto) {
    std::mt19937 random(3);
    BnContext context(BN_CTX_new(), BN_CTX_free);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> modulus = awkwardBytes(random, 1 + random() % 70);
        modulus[random() % modulus.size()] |= 0x10;  // not zero
        const std::vector<uint8_t> base = awkwardBytes(random, random() % 70);
        const std::vector<uint8_t> exponent = awkwardBytes(random, random() % 6);
        Bn expected = newBn();
        ASSERT_EQ(BN_mod_exp(expected.get(), bnOf(base).get(), bnOf(exponent).get(),
                             bnOf(modulus).get(), context.get()),
                  1);
        ASSERT_EQ(hexOf(bigModularPower(big(base), big(exponent), big(modulus))),
                  hexOf(expected.get()))
            << "round " << round;
    }
}

}  // namespace
}  // namespace kestrel
