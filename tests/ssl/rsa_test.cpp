// RSA encryption with PKCS#1 v1.5 block type 2 under keys that libcrypto
// generates; libcrypto decrypts with the private key, once raw to check the
// padding and once as PKCS#1 to get the data back.
#include "ssl/rsa.h"

#include <gtest/gtest.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/rsa.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrel {
namespace {

using Pkey = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using PkeyContext = std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)>;

struct KeyPair {
    EVP_PKEY* privateKey;
    std::vector<uint8_t> modulus;   // big-endian, no leading zeros
    std::vector<uint8_t> exponent;  // big-endian, no leading zeros
};

std::vector<uint8_t> bytesOf(EVP_PKEY* key, const char* name) {
    BIGNUM* value = nullptr;
    EXPECT_EQ(EVP_PKEY_get_bn_param(key, name, &value), 1);
    std::vector<uint8_t> bytes(BN_num_bytes(value));
    BN_bn2bin(value, bytes.data());
    BN_free(value);
    return bytes;
}

// Key generation is slow for 4096 bits: each key is made once per run.
const KeyPair& keyPair(int bits, unsigned exponent) {
    static std::map<std::pair<int, unsigned>, KeyPair> keys;
    const auto found = keys.find({bits, exponent});
    if (found != keys.end()) {
        return found->second;
    }
    PkeyContext context(EVP_PKEY_CTX_new_id(EVP_PKEY_RSA, nullptr), EVP_PKEY_CTX_free);
    EVP_PKEY* key = nullptr;
    BIGNUM* publicExponent = BN_new();
    BN_set_word(publicExponent, exponent);
    const bool made = EVP_PKEY_keygen_init(context.get()) == 1 &&
                      EVP_PKEY_CTX_set_rsa_keygen_bits(context.get(), bits) == 1 &&
                      EVP_PKEY_CTX_set1_rsa_keygen_pubexp(context.get(), publicExponent) == 1 &&
                      EVP_PKEY_keygen(context.get(), &key) == 1;
    BN_free(publicExponent);
    EXPECT_TRUE(made) << bits << " bits";
    KeyPair pair{key, bytesOf(key, OSSL_PKEY_PARAM_RSA_N), bytesOf(key, OSSL_PKEY_PARAM_RSA_E)};
    return keys.emplace(std::make_pair(bits, exponent), std::move(pair)).first->second;
}

// The private-key operation with the given padding; empty when it fails.
std::vector<uint8_t> decrypt(EVP_PKEY* key, const std::vector<uint8_t>& cipher, int padding) {
    PkeyContext context(EVP_PKEY_CTX_new(key, nullptr), EVP_PKEY_CTX_free);
    if (EVP_PKEY_decrypt_init(context.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(context.get(), padding) != 1) {
        return {};
    }
    size_t length = 0;
    if (EVP_PKEY_decrypt(context.get(), nullptr, &length, cipher.data(), cipher.size()) != 1) {
        return {};
    }
    std::vector<uint8_t> plain(length);
    if (EVP_PKEY_decrypt(context.get(), plain.data(), &length, cipher.data(), cipher.size()) != 1) {
        return {};
    }
    plain.resize(length);
    return plain;
}

std::vector<uint8_t> sampleData(size_t length) {
    std::vector<uint8_t> data(length);
    for (size_t i = 0; i < length; ++i) {
        data[i] = uint8_t(i * 29 + 7);  // includes zero bytes
    }
    return data;
}

constexpr size_t kGuard = 16;
constexpr uint8_t kGuardByte = 0xa5;

// Encrypts DATA in a block of the key's modulus length followed by guard
// bytes; checks the guard and returns the block, or empty when refused.
std::vector<uint8_t> encrypt(const RsaPublicKey& key, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> area(std::max(key.modulusLength, data.size()) + kGuard, kGuardByte);
    std::copy(data.begin(), data.end(), area.begin());
    const bool done = rsaEncrypt(area.data(), data.size(), key);
    for (size_t i = area.size() - kGuard; i < area.size(); ++i) {
        EXPECT_EQ(area[i], kGuardByte) << "written past the block at " << i;
    }
    if (!done) {
        EXPECT_TRUE(std::equal(data.begin(), data.end(), area.begin())) << "refused but changed";
        return {};
    }
    area.resize(key.modulusLength);
    return area;
}

RsaPublicKey publicKey(const KeyPair& pair) {
    std::optional<RsaPublicKey> key = rsaKeySetup(pair.exponent.data(), pair.exponent.size(),
                                                  pair.modulus.data(), pair.modulus.size());
    EXPECT_TRUE(key.has_value());
    return key.value_or(RsaPublicKey{});
}

// Block type 2: 00 02, non-zero padding of at least eight bytes, 00, the data.
void expectBlockType2(const std::vector<uint8_t>& block, const std::vector<uint8_t>& data) {
    ASSERT_GE(block.size(), data.size() + 11);
    EXPECT_EQ(block[0], 0);
    EXPECT_EQ(block[1], 2);
    const size_t separator = block.size() - data.size() - 1;
    for (size_t i = 2; i < separator; ++i) {
        EXPECT_NE(block[i], 0) << "padding byte " << i;
    }
    EXPECT_EQ(block[separator], 0);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), block.begin() + separator + 1));
}

struct KeyShape {
    int bits;
    unsigned exponent;
};

class RsaKeyTest : public ::testing::TestWithParam<KeyShape> {};

TEST_P(RsaKeyTest, EncryptsAPreMasterSecretThatThePrivateKeyRecovers) {
    const KeyPair& pair = keyPair(GetParam().bits, GetParam().exponent);
    const RsaPublicKey key = publicKey(pair);
    ASSERT_EQ(key.modulusLength, pair.modulus.size());
    const std::vector<uint8_t> data = sampleData(48);

    const std::vector<uint8_t> cipher = encrypt(key, data);
    ASSERT_EQ(cipher.size(), pair.modulus.size());
    const std::vector<uint8_t> raw = decrypt(pair.privateKey, cipher, RSA_NO_PADDING);
    ASSERT_EQ(raw.size(), pair.modulus.size());
    expectBlockType2(raw, data);
    EXPECT_EQ(decrypt(pair.privateKey, cipher, RSA_PKCS1_PADDING), data);
}

TEST_P(RsaKeyTest, TakesDataUpToElevenBytesShortOfTheModulus) {
    const KeyPair& pair = keyPair(GetParam().bits, GetParam().exponent);
    const RsaPublicKey key = publicKey(pair);
    const size_t k = pair.modulus.size();
    for (size_t length : {size_t(0), size_t(1), k - 12, k - 11}) {
        const std::vector<uint8_t> data = sampleData(length);
        const std::vector<uint8_t> cipher = encrypt(key, data);
        ASSERT_EQ(cipher.size(), k) << length << " bytes";
        expectBlockType2(decrypt(pair.privateKey, cipher, RSA_NO_PADDING), data);
    }
    EXPECT_TRUE(encrypt(key, sampleData(k - 10)).empty());
    EXPECT_TRUE(encrypt(key, sampleData(k)).empty());
}

INSTANTIATE_TEST_SUITE_P(Keys, RsaKeyTest,
                         ::testing::Values(KeyShape{1024, 65537}, KeyShape{1024, 3},
                                           KeyShape{2048, 65537}, KeyShape{2048, 3},
                                           KeyShape{4096, 65537}, KeyShape{4096, 3},
                                           // 129-byte moduli, the top byte full or just 01
                                           KeyShape{1032, 65537}, KeyShape{1025, 3}),
                         [](const ::testing::TestParamInfo<KeyShape>& info) {
                             return std::to_string(info.param.bits) + "BitsExponent" +
                                    std::to_string(info.param.exponent);
                         });

TEST(RsaTest, AModulusGivenWithLeadingZerosGivesAResultWithAsMany) {
    const KeyPair& pair = keyPair(1024, 65537);
    std::vector<uint8_t> modulus(2, 0);
    modulus.insert(modulus.end(), pair.modulus.begin(), pair.modulus.end());
    const std::vector<uint8_t> exponent = {0, 0, 0, 1, 0, 1};
    std::optional<RsaPublicKey> key =
        rsaKeySetup(exponent.data(), exponent.size(), modulus.data(), modulus.size());
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(key->modulusLength, 130u);

    const std::vector<uint8_t> data = sampleData(48);
    std::vector<uint8_t> cipher = encrypt(*key, data);
    ASSERT_EQ(cipher.size(), 130u);
    EXPECT_EQ(cipher[0], 0);
    EXPECT_EQ(cipher[1], 0);
    cipher.erase(cipher.begin(), cipher.begin() + 2);
    EXPECT_EQ(decrypt(pair.privateKey, cipher, RSA_PKCS1_PADDING), data);
    // The padding room is that of the 128 significant bytes.
    EXPECT_EQ(encrypt(*key, sampleData(117)).size(), 130u);
    EXPECT_TRUE(encrypt(*key, sampleData(118)).empty());
}

TEST(RsaTest, PadsWithFreshRandomBytesEachTime) {
    const KeyPair& pair = keyPair(1024, 65537);
    const RsaPublicKey key = publicKey(pair);
    const std::vector<uint8_t> data = sampleData(48);
    const std::vector<uint8_t> first = encrypt(key, data);
    const std::vector<uint8_t> second = encrypt(key, data);
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);
    EXPECT_NE(decrypt(pair.privateKey, first, RSA_NO_PADDING),
              decrypt(pair.privateKey, second, RSA_NO_PADDING));
}

TEST(RsaTest, RefusesAnEmptyOrZeroModulus) {
    const uint8_t exponent[] = {3};
    const uint8_t zeros[] = {0, 0, 0};
    EXPECT_FALSE(rsaKeySetup(exponent, 1, zeros, 0).has_value());
    EXPECT_FALSE(rsaKeySetup(exponent, 1, zeros, 3).has_value());
}

TEST(RsaTest, RefusesEverythingForAModulusTooShortForThePadding) {
    // Ten significant bytes leave no room for 00 02, eight padding bytes and 00.
    const uint8_t modulus[] = {0, 0xc1, 2, 3, 4, 5, 6, 7, 8, 9, 0x0b};
    const uint8_t exponent[] = {3};
    std::optional<RsaPublicKey> key = rsaKeySetup(exponent, 1, modulus, sizeof modulus);
    ASSERT_TRUE(key.has_value());
    EXPECT_TRUE(encrypt(*key, {}).empty());

    // Eleven take no data at all; the result is below the modulus.
    const uint8_t eleven[] = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xfd};
    key = rsaKeySetup(exponent, 1, eleven, sizeof eleven);
    ASSERT_TRUE(key.has_value());
    const std::vector<uint8_t> cipher = encrypt(*key, {});
    ASSERT_EQ(cipher.size(), 11u);
    EXPECT_TRUE(std::lexicographical_compare(cipher.begin(), cipher.end(), std::begin(eleven),
                                             std::end(eleven)));
    EXPECT_TRUE(encrypt(*key, {1}).empty());
}

}  // namespace
}  // namespace kestrel
