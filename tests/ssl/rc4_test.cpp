// RC4 against the keystream test vectors of RFC 6229, crypted in one call and
// in pieces; crypting twice with fresh states restores the input.
#include "ssl/rc4.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kestrel {
namespace {

std::vector<uint8_t> fromHex(const std::string& text) {
    std::vector<uint8_t> bytes;
    int high = -1;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            continue;
        }
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(uint8_t(high << 4 | digit));
            high = -1;
        }
    }
    return bytes;
}

struct KeystreamCase {
    const char* key;
    size_t offset;
    const char* keystream;  // sixteen bytes from the offset
};

// RFC 6229 section 2, the 40-bit and 128-bit keys 01 02 03 ...
const std::vector<KeystreamCase> kKeystreamCases = {
    {"0102030405", 0, "b2396305 f03dc027 ccc3524a 0a1118a8"},
    {"0102030405", 16, "6982944f 18fc82d5 89c403a4 7a0d0919"},
    {"0102030405", 240, "28cb1132 c96ce286 421dcaad b8b69eae"},
    {"0102030405", 256, "1cfcf62b 03eddb64 1d77dfcf 7f8d8c93"},
    {"0102030405", 496, "42b7d0cd d918a8a3 3dd51781 c81f4041"},
    {"0102030405", 1520, "3294f744 d8f97905 07e70f62 e5bbceea"},
    {"0102030405", 1536, "d8729db4 1882259b ee4f8253 25f5a130"},
    {"0102030405", 4080, "068326a2 118416d2 1f9d04b2 cd1ca050"},
    {"0102030405", 4096, "ff25b589 95996707 e51fbdf0 8b34d875"},
    {"0102030405060708090a0b0c0d0e0f10", 0, "9ac7cc9a 609d1ef7 b2932899 cde41b97"},
    {"0102030405060708090a0b0c0d0e0f10", 16, "5248c495 9014126a 6e8a84f1 1d1a9e1c"},
    {"0102030405060708090a0b0c0d0e0f10", 240, "065902e4 b620f6cc 36c8589f 66432f2b"},
    {"0102030405060708090a0b0c0d0e0f10", 256, "d39d566b c6bce301 07681515 49f3873f"},
    {"0102030405060708090a0b0c0d0e0f10", 1520, "b40110c4 190b5622 a96116b0 017ed297"},
    {"0102030405060708090a0b0c0d0e0f10", 1536, "ffa0b514 647ec04f 6306b892 ae661181"},
    {"0102030405060708090a0b0c0d0e0f10", 4080, "ff38265c 1642c1ab e8d3c2fe 5e572bf8"},
    {"0102030405060708090a0b0c0d0e0f10", 4096, "a36a4c30 1ae8ac13 610ccbc1 2256cacc"},
};

// The keystream: zeros crypted in pieces of PIECE bytes.
std::vector<uint8_t> keystream(const std::vector<uint8_t>& key, size_t length, size_t piece) {
    Rc4 rc4;
    rc4.setKey(key.data(), key.size());
    std::vector<uint8_t> stream(length, 0);
    for (size_t offset = 0; offset < length; offset += piece) {
        rc4.crypt(stream.data() + offset, std::min(piece, length - offset));
    }
    return stream;
}

TEST(Rc4Test, GivesTheKeystreamOfTheTestVectors) {
    for (size_t piece : {size_t(4112), size_t(1), size_t(7), size_t(256)}) {
        for (const KeystreamCase& known : kKeystreamCases) {
            const std::vector<uint8_t> stream = keystream(fromHex(known.key), 4112, piece);
            const std::vector<uint8_t> expected = fromHex(known.keystream);
            EXPECT_EQ(std::vector<uint8_t>(stream.begin() + known.offset,
                                           stream.begin() + known.offset + 16),
                      expected)
                << "key " << known.key << " offset " << known.offset << " pieces of " << piece;
        }
    }
}

TEST(Rc4Test, CryptingTwiceWithFreshStatesRestoresTheInput) {
    const std::vector<uint8_t> key = fromHex("00112233445566778899aabbccddeeff");
    std::vector<uint8_t> text(1000);
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = uint8_t(i * 7 + 3);
    }
    std::vector<uint8_t> data = text;
    Rc4 sender;
    sender.setKey(key.data(), key.size());
    sender.crypt(data.data(), 300);
    sender.crypt(data.data() + 300, 700);
    EXPECT_NE(data, text);

    Rc4 receiver;
    receiver.setKey(key.data(), key.size());
    receiver.crypt(data.data(), 1);
    receiver.crypt(data.data() + 1, 999);
    EXPECT_EQ(data, text);
}

TEST(Rc4Test, SetKeyStartsTheKeystreamAgain) {
    const std::vector<uint8_t> key = fromHex("0102030405");
    Rc4 rc4;
    rc4.setKey(key.data(), key.size());
    uint8_t skipped[100] = {};
    rc4.crypt(skipped, sizeof skipped);
    rc4.setKey(key.data(), key.size());
    uint8_t stream[16] = {};
    rc4.crypt(stream, sizeof stream);
    EXPECT_EQ(std::vector<uint8_t>(stream, stream + 16),
              fromHex("b2396305 f03dc027 ccc3524a 0a1118a8"));
}

}  // namespace
}  // namespace kestrel
