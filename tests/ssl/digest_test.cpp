// MD5 (RFC 1321) and SHA-1 (FIPS 180-1) against their published test values, in
// one update and split into pieces, and against libcrypto at every length
// around the padding boundaries.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <string>
#include <vector>

#include "ssl/md5.h"
#include "ssl/sha1.h"

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

struct KnownAnswer {
    std::string message;
    const char* digest;
};

// What each digest's tests need beside the class itself.
struct Md5Answers {
    using Hash = Md5;
    static const EVP_MD* reference() { return EVP_md5(); }
    static constexpr const char* kMillionAs = "7707d6ae4e027c70eea2a935c2296f21";
    static const std::vector<KnownAnswer>& knownAnswers() {
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
};

struct Sha1Answers {
    using Hash = Sha1;
    static const EVP_MD* reference() { return EVP_sha1(); }
    static constexpr const char* kMillionAs = "34aa973cd4c4daa4f61eeb2bdbad27316534016f";
    static const std::vector<KnownAnswer>& knownAnswers() {
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
};

template <typename Answers>
class DigestTest : public ::testing::Test {
  protected:
    using Hash = typename Answers::Hash;

    // Feeds the pieces in turn, each a length of the message.
    static std::string digestOf(const std::string& message, const std::vector<size_t>& pieces) {
        Hash hash;
        size_t offset = 0;
        for (size_t piece : pieces) {
            hash.update(bytesOf(message) + offset, piece);
            offset += piece;
        }
        hash.update(bytesOf(message) + offset, message.size() - offset);
        uint8_t digest[Hash::kDigestSize];
        hash.final(digest);
        return hex(digest, sizeof digest);
    }
};

using Digests = ::testing::Types<Md5Answers, Sha1Answers>;
TYPED_TEST_SUITE(DigestTest, Digests);

TYPED_TEST(DigestTest, GivesTheKnownAnswersInOneUpdate) {
    for (const KnownAnswer& known : TypeParam::knownAnswers()) {
        EXPECT_EQ(this->digestOf(known.message, {}), known.digest) << '"' << known.message << '"';
    }
}

TYPED_TEST(DigestTest, GivesTheKnownAnswersWhenSplitAtEveryOffset) {
    for (const KnownAnswer& known : TypeParam::knownAnswers()) {
        for (size_t split = 0; split <= known.message.size(); ++split) {
            EXPECT_EQ(this->digestOf(known.message, {split}), known.digest)
                << '"' << known.message << "\" split at " << split;
        }
    }
}

TYPED_TEST(DigestTest, GivesTheKnownAnswersInThreePiecesAndByteByByte) {
    // The 448-bit message: its padding needs a second block.
    const KnownAnswer& known = TypeParam::knownAnswers().back();
    const size_t size = known.message.size();
    for (size_t first = 0; first <= size; ++first) {
        for (size_t second = 0; first + second <= size; ++second) {
            ASSERT_EQ(this->digestOf(known.message, {first, second}), known.digest)
                << "pieces " << first << ", " << second;
        }
    }
    EXPECT_EQ(this->digestOf(known.message, std::vector<size_t>(size, 1)), known.digest);
}

TYPED_TEST(DigestTest, HashesAMillionAs) {
    const std::string million(1000000, 'a');
    EXPECT_EQ(this->digestOf(million, {}), TypeParam::kMillionAs);
    // In pieces that do not divide the block size.
    std::vector<size_t> pieces(million.size() / 997, 997);
    EXPECT_EQ(this->digestOf(million, pieces), TypeParam::kMillionAs);
}

TYPED_TEST(DigestTest, AgreesWithLibcryptoAroundEveryPaddingBoundary) {
    std::string message;
    for (size_t length = 0; length <= 200; ++length) {
        uint8_t expected[EVP_MAX_MD_SIZE];
        unsigned int expectedLength = 0;
        ASSERT_EQ(EVP_Digest(message.data(), message.size(), expected, &expectedLength,
                             TypeParam::reference(), nullptr),
                  1);
        EXPECT_EQ(this->digestOf(message, {length / 3}), hex(expected, expectedLength))
            << "length " << length;
        message += char(length * 37 + 11);
    }
}

TYPED_TEST(DigestTest, StartsAfreshAfterInit) {
    typename TypeParam::Hash hash;
    hash.update(bytesOf("something else"), 14);
    hash.init();
    hash.update(bytesOf("abc"), 3);
    uint8_t digest[TypeParam::Hash::kDigestSize];
    hash.final(digest);
    EXPECT_EQ(hex(digest, sizeof digest), TypeParam::knownAnswers()[2].digest);
}

}  // namespace
}  // namespace kestrel
