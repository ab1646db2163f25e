// MD5 against the RFC 1321 test suite, in one update and split into pieces,
// and against libcrypto at every length around the padding boundaries.
#include "ssl/md5.h"

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
    Md5 md5;
    size_t offset = 0;
    for (size_t piece : pieces) {
        md5.update(bytesOf(message) + offset, piece);
        offset += piece;
    }
    md5.update(bytesOf(message) + offset, message.size() - offset);
    uint8_t digest[Md5::kDigestSize];
    md5.final(digest);
    return hex(digest, sizeof digest);
}

struct KnownAnswer {
    std::string message;
    const char* digest;
};

const std::vector<KnownAnswer>& knownAnswers() {
    static const std::vector<KnownAnswer> cases = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"1234567890123456789012345678901234567890123456789012345678901234567890123456"
         "7890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        // The 448-bit message of FIPS 180-1: its padding needs a second block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "8215ef0796a20bcaaae116d3876c664a"},
    };
    return cases;
}

TEST(Md5Test, GivesTheKnownAnswersInOneUpdate) {
    for (const KnownAnswer& known : knownAnswers()) {
        EXPECT_EQ(digestOf(known.message, {}), known.digest) << '"' << known.message << '"';
    }
}

TEST(Md5Test, GivesTheKnownAnswersWhenSplitAtEveryOffset) {
    for (const KnownAnswer& known : knownAnswers()) {
        for (size_t split = 0; split <= known.message.size(); ++split) {
            EXPECT_EQ(digestOf(known.message, {split}), known.digest)
                << '"' << known.message << "\" split at " << split;
        }
    }
}

TEST(Md5Test, GivesTheKnownAnswersInThreePiecesAndByteByByte) {
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

TEST(Md5Test, HashesAMillionAs) {
    const std::string million(1000000, 'a');
    EXPECT_EQ(digestOf(million, {}), "7707d6ae4e027c70eea2a935c2296f21");
    // In pieces that do not divide the block size.
    std::vector<size_t> pieces(million.size() / 997, 997);
    EXPECT_EQ(digestOf(million, pieces), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(Md5Test, AgreesWithLibcryptoAroundEveryPaddingBoundary) {
    std::string message;
    for (size_t length = 0; length <= 200; ++length) {
        uint8_t expected[EVP_MAX_MD_SIZE];
        unsigned int expectedLength = 0;
        ASSERT_EQ(EVP_Digest(message.data(), message.size(), expected, &expectedLength, EVP_md5(),
                             nullptr),
                  1);
        EXPECT_EQ(digestOf(message, {length / 3}), hex(expected, expectedLength))
            << "length " << length;
        message += char(length * 37 + 11);
    }
}

TEST(Md5Test, StartsAfreshAfterInit) {
    Md5 md5;
    md5.update(bytesOf("something else"), 14);
    md5.init();
    md5.update(bytesOf("abc"), 3);
    uint8_t digest[Md5::kDigestSize];
    md5.final(digest);
    EXPECT_EQ(hex(digest, sizeof digest), "900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace
}  // namespace kestrel
