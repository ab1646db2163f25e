// SHA-1 against the FIPS 180-1 test values, in one update and split into pieces,
// and against libcrypto at every length around the padding boundaries.
#include "ssl/sha1.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <string>
#include <vector>

namespace kestrel {
namespace {

std::string hex(const uint8_t* bytes, size_t length) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

const uint8_t* bytesOf(const std::string& text) {
    return reinterpret_cast<const uint8_t*>(text.data());
}

// Feeds the pieces in turn, each a length of the message.
std::string digestOf(const std::string& message, const std::vector<size_t>& pieces) {
    Sha1 sha1;
    size_t offset = 0;
    for (size_t piece : pieces) {
        sha1.update(bytesOf(message) + offset, piece);
        offset += piece;
    }
    sha1.update(bytesOf(message) + offset, message.size() - offset);
    uint8_t digest[Sha1::kDigestSize];
    sha1.final(digest);
    return hex(digest, sizeof digest);
}

struct KnownAnswer {
    std::string message;
    const char* digest;
};

const std::vector<KnownAnswer>& knownAnswers() {
    static const std::vector<KnownAnswer> cases = {
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"a", "86f7e437faa5a7fce15d1ddcb9eaeaea377667b8"},
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"message digest", "c12252ceda8be8994d5fa0290a47231c1d16aae3"},
        {"abcdefghijklmnopqrstuvwxyz", "32d10c7b8cf96570ca04ce37f2a19d84240d3a89"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "761c457bf73b14d27e9e9265c46f4b4dda11f940"},
        {"1234567890123456789012345678901234567890123456789012345678901234567890123456"
         "7890",
         "50abf5706a150990a08b2c5ea40fa0e585554732"},
        // The 448-bit message: its padding needs a second block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
    };
    return cases;
}

TEST(Sha1Test, GivesTheKnownAnswersInOneUpdate) {
    for (const KnownAnswer& known : knownAnswers()) {
        EXPECT_EQ(digestOf(known.message, {}), known.digest) << '"' << known.message << '"';
    }
}

TEST(Sha1Test, GivesTheKnownAnswersWhenSplitAtEveryOffset) {
    for (const KnownAnswer& known : knownAnswers()) {
        for (size_t split = 0; split <= known.message.size(); ++split) {
            EXPECT_EQ(digestOf(known.message, {split}), known.digest)
                << '"' << known.message << "\" split at " << split;
        }
    }
}

TEST(Sha1Test, GivesTheKnownAnswersInThreePiecesAndByteByByte) {
    const KnownAnswer& known = knownAnswers().back();
    const size_t size = known.message.size();
    for (size_t first = 0; first <= size; ++first) {
        for (size_t second = 0; first + second <= size; ++second) {
            ASSERT_EQ(digestOf(known.message, {first, second}), known.digest)
                << "pieces " << first << ", " << second;
        }
    }
    EXPECT_EQ(digestOf(known.message, std::vector<size_t>(size, 1)), known.digest);
}

TEST(Sha1Test, HashesAMillionAs) {
    const std::string million(1000000, 'a');
    EXPECT_EQ(digestOf(million, {}), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
    // In pieces that do not divide the block size.
    std::vector<size_t> pieces(million.size() / 997, 997);
    EXPECT_EQ(digestOf(million, pieces), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(Sha1Test, AgreesWithLibcryptoAroundEveryPaddingBoundary) {
    std::string message;
    for (size_t length = 0; length <= 200; ++length) {
        uint8_t expected[EVP_MAX_MD_SIZE];
        unsigned int expectedLength = 0;
        ASSERT_EQ(EVP_Digest(message.data(), message.size(), expected, &expectedLength, EVP_sha1(),
                             nullptr),
                  1);
        EXPECT_EQ(digestOf(message, {length / 3}), hex(expected, expectedLength))
            << "length " << length;
        message += char(length * 37 + 11);
    }
}

TEST(Sha1Test, StartsAfreshAfterInit) {
    Sha1 sha1;
    sha1.update(bytesOf("something else"), 14);
    sha1.init();
    sha1.update(bytesOf("abc"), 3);
    uint8_t digest[Sha1::kDigestSize];
    sha1.final(digest);
    EXPECT_EQ(hex(digest, sizeof digest), "a9993e364706816aba3e25717850c26c9cd0d89d");
}

}  // namespace
}  // namespace kestrel
