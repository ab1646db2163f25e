// The server side of SSL 3.0 for the client's tests, built on OpenSSL's
// libcrypto only: RSA decryption of the pre-master secret, the SSL 3.0 key
// derivation, MACs and Finished computed here independently of the client's
// code, and RC4 from the legacy provider. Also a recorder for the client's
// peer and a reader that splits the traffic log into entries and lines.
#pragma once

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/provider.h>
#include <openssl/rsa.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ssl/ssl_client.h"

namespace kestrel::test_support {

using Bytes = std::vector<uint8_t>;

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

inline Bytes repeat(uint8_t byte, size_t count) {
    return Bytes(count, byte);
}

inline Bytes digest(const EVP_MD* md, const Bytes& data) {
    Bytes out(EVP_MD_get_size(md));
    unsigned length = 0;
    EVP_Digest(data.data(), data.size(), out.data(), &length, md, nullptr);
    return out;
}

inline Bytes md5(const Bytes& data) {
    return digest(EVP_md5(), data);
}
inline Bytes sha1(const Bytes& data) {
    return digest(EVP_sha1(), data);
}

// The SSL 3.0 record MAC, written out from RFC 6101 5.2.3.1.
inline Bytes recordMac(bool useSha1, const Bytes& secret, uint32_t sequence, uint8_t type,
                       const Bytes& data) {
    const size_t pad = useSha1 ? 40 : 48;
    const Bytes head = {0,
                        0,
                        0,
                        0,
                        static_cast<uint8_t>(sequence >> 24),
                        static_cast<uint8_t>(sequence >> 16),
                        static_cast<uint8_t>(sequence >> 8),
                        static_cast<uint8_t>(sequence),
                        type,
                        static_cast<uint8_t>(data.size() >> 8),
                        static_cast<uint8_t>(data.size())};
    const EVP_MD* md = useSha1 ? EVP_sha1() : EVP_md5();
    const Bytes inner = digest(md, concat({secret, repeat(0x36, pad), head, data}));
    return digest(md, concat({secret, repeat(0x5C, pad), inner}));
}

// An RC4 keystream, one per direction.
class OpenSslRc4 {
  public:
    OpenSslRc4() {
        static OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
        static OSSL_PROVIDER* base = OSSL_PROVIDER_load(nullptr, "default");
        (void)legacy;
        (void)base;
    }
    ~OpenSslRc4() { EVP_CIPHER_CTX_free(context_); }
    OpenSslRc4(const OpenSslRc4&) = delete;
    OpenSslRc4& operator=(OpenSslRc4&& other) noexcept {
        std::swap(context_, other.context_);
        return *this;
    }

    void setKey(const Bytes& key) {
        EVP_CIPHER_CTX_free(context_);
        context_ = EVP_CIPHER_CTX_new();
        EVP_CIPHER* rc4 = EVP_CIPHER_fetch(nullptr, "RC4", nullptr);
        ASSERT_NE(rc4, nullptr) << "RC4 needs OpenSSL's legacy provider";
        ASSERT_EQ(EVP_EncryptInit_ex(context_, rc4, nullptr, key.data(), nullptr), 1);
        EVP_CIPHER_free(rc4);
    }
    Bytes crypt(const Bytes& data) {
        Bytes out(data.size());
        int length = 0;
        EVP_EncryptUpdate(context_, out.data(), &length, data.data(),
                          static_cast<int>(data.size()));
        return out;
    }

  private:
    EVP_CIPHER_CTX* context_ = nullptr;
};

// A 1024-bit RSA key, made once for the whole test program.
class TestRsaKey {
  public:
    static const TestRsaKey& shared() {
        static TestRsaKey key(1024);
        return key;
    }
    explicit TestRsaKey(unsigned bits) {
        key_ = EVP_RSA_gen(bits);
        BIGNUM* n = nullptr;
        BIGNUM* e = nullptr;
        EVP_PKEY_get_bn_param(key_, "n", &n);
        EVP_PKEY_get_bn_param(key_, "e", &e);
        modulus.resize(BN_num_bytes(n));
        BN_bn2bin(n, modulus.data());
        exponent.resize(BN_num_bytes(e));
        BN_bn2bin(e, exponent.data());
        BN_free(n);
        BN_free(e);
    }
    ~TestRsaKey() { EVP_PKEY_free(key_); }

    // PKCS#1 v1.5 decryption; empty when the block does not decrypt.
    Bytes decrypt(const Bytes& block) const {
        EVP_PKEY_CTX* context = EVP_PKEY_CTX_new(key_, nullptr);
        Bytes out(modulus.size());
        size_t length = out.size();
        const bool ok =
            EVP_PKEY_decrypt_init(context) == 1 &&
            EVP_PKEY_CTX_set_rsa_padding(context, RSA_PKCS1_PADDING) == 1 &&
            EVP_PKEY_decrypt(context, out.data(), &length, block.data(), block.size()) == 1;
        EVP_PKEY_CTX_free(context);
        out.resize(ok ? length : 0);
        return out;
    }

    Bytes modulus;  // big-endian, no leading zero
    Bytes exponent;

  private:
    EVP_PKEY* key_ = nullptr;
};

// DER: one element of TAG with CONTENTS.
inline Bytes der(uint8_t tag, const Bytes& contents) {
    Bytes out = {tag};
    const size_t n = contents.size();
    if (n < 128) {
        out.push_back(static_cast<uint8_t>(n));
    } else if (n < 256) {
        out.insert(out.end(), {0x81, static_cast<uint8_t>(n)});
    } else {
        out.insert(out.end(), {0x82, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
    }
    out.insert(out.end(), contents.begin(), contents.end());
    return out;
}

// A version 3 certificate with subject CN=host and the RSA key MODULUS,
// EXPONENT (the signature is junk; nothing checks it).
inline Bytes certificateFor(const Bytes& modulus, const Bytes& exponent) {
    const Bytes rsaOid = der(0x06, {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x01});
    const Bytes shaRsaOid = der(0x06, {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x0B});
    const Bytes name = der(0x30, der(0x31, der(0x30, concat({der(0x06, {0x55, 0x04, 0x03}),
                                                             der(0x13, {'h', 'o', 's', 't'})}))));
    const Bytes time = der(0x17, Bytes(13, '0'));
    const Bytes signedModulus = concat({Bytes{0}, modulus});  // sign byte, as DER has it
    const Bytes publicKey = der(
        0x30, concat({der(0x30, concat({rsaOid, der(0x05, {})})),
                      der(0x03, concat({Bytes{0}, der(0x30, concat({der(0x02, signedModulus),
                                                                    der(0x02, exponent)}))}))}));
    const Bytes tbs =
        der(0x30, concat({der(0xA0, der(0x02, {2})), der(0x02, {0x01, 0x23}), der(0x30, shaRsaOid),
                          name, der(0x30, concat({time, time})), name, publicKey}));
    return der(0x30, concat({tbs, der(0x30, shaRsaOid), der(0x03, {0, 1, 2, 3})}));
}

inline Bytes handshakeMessage(uint8_t type, const Bytes& body) {
    return concat({Bytes{type, static_cast<uint8_t>(body.size() >> 16),
                         static_cast<uint8_t>(body.size() >> 8), static_cast<uint8_t>(body.size())},
                   body});
}

inline Bytes serverHello(const Bytes& random, uint8_t suiteHigh, uint8_t suiteLow) {
    return handshakeMessage(2, concat({Bytes{3, 0}, random, Bytes{32}, repeat(0xAB, 32),
                                       Bytes{suiteHigh, suiteLow, 0}}));
}

inline Bytes certificateMessage(const Bytes& certificate) {
    const size_t n = certificate.size();
    const Bytes entry = concat({Bytes{static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8),
                                      static_cast<uint8_t>(n)},
                                certificate});
    const size_t m = entry.size();
    return handshakeMessage(
        11, concat({Bytes{static_cast<uint8_t>(m >> 16), static_cast<uint8_t>(m >> 8),
                          static_cast<uint8_t>(m)},
                    entry}));
}

inline Bytes serverKeyExchange(const Bytes& modulus, const Bytes& exponent) {
    auto counted = [](const Bytes& b) {
        return concat(
            {Bytes{static_cast<uint8_t>(b.size() >> 8), static_cast<uint8_t>(b.size())}, b});
    };
    return handshakeMessage(12, concat({counted(modulus), counted(exponent), repeat(0x5A, 16)}));
}

inline Bytes serverHelloDone() {
    return handshakeMessage(14, {});
}

inline Bytes plainRecord(uint8_t type, const Bytes& body) {
    return concat({Bytes{type, 3, 0, static_cast<uint8_t>(body.size() >> 8),
                         static_cast<uint8_t>(body.size())},
                   body});
}

// The client's peer: every record sent, every plaintext delivered, every end.
class RecordingPeer : public SslPeer {
  public:
    void sendRecord(const uint8_t* data, size_t length) override {
        records.emplace_back(data, data + length);
    }
    void plaintextReceived(const uint8_t* data, size_t length) override {
        plaintext.insert(plaintext.end(), data, data + length);
    }
    void endSession() override { ++ends; }

    std::vector<Bytes> records;
    Bytes plaintext;
    int ends = 0;
};

// The server's half of an SSL 3.0 connection.
class ScriptedServer {
  public:
    explicit ScriptedServer(const TestRsaKey& key = TestRsaKey::shared()) : key_(&key) {
        serverRandom = Bytes(32);
        for (size_t i = 0; i < 32; ++i) {
            serverRandom[i] = static_cast<uint8_t>(0xC0 + i);
        }
    }

    // Takes the client's ClientHello record.
    void takeClientHello(const Bytes& record) {
        ASSERT_EQ(record.size(), 50u);
        clientRandom.assign(record.begin() + 11, record.begin() + 43);
        transcript = Bytes(record.begin() + 5, record.end());
    }

    // A handshake record of MESSAGES, added to the transcript (unless told not to).
    Bytes handshake(const Bytes& messages, bool addToTranscript = true) {
        if (addToTranscript) {
            transcript.insert(transcript.end(), messages.begin(), messages.end());
        }
        return record(22, messages);
    }

    // A record of TYPE: protected once the server's side is.
    Bytes record(uint8_t type, const Bytes& data) {
        if (!serverActive) {
            return plainRecord(type, data);
        }
        const Bytes mac = recordMac(sha1Mac, serverMacSecret, serverSequence++, type, data);
        return plainRecord(type, serverCipher.crypt(concat({data, mac})));
    }

    // Takes the client's ClientKeyExchange, ChangeCipherSpec and Finished
    // records; checks each and derives the keys.
    void takeClientFinish(const Bytes& keyExchange, const Bytes& changeCipher,
                          const Bytes& finished) {
        ASSERT_EQ(keyExchange[0], 22);
        const Bytes message(keyExchange.begin() + 5, keyExchange.end());
        ASSERT_EQ(message[0], 16);
        const size_t k = static_cast<size_t>(message[2]) << 8 | message[3];
        ASSERT_EQ(k, key_->modulus.size());
        ASSERT_EQ(message.size(), 4 + k);
        preMaster = key_->decrypt(Bytes(message.begin() + 4, message.end()));
        ASSERT_EQ(preMaster.size(), 48u);
        ASSERT_EQ(preMaster[0], 3);
        ASSERT_EQ(preMaster[1], 0);
        transcript.insert(transcript.end(), message.begin(), message.end());

        ASSERT_EQ(changeCipher, (Bytes{20, 3, 0, 0, 1, 1}));
        deriveKeys();

        const Bytes clear = openClientRecord(finished);
        ASSERT_EQ(lastClientType, 22);
        ASSERT_EQ(clear, handshakeMessage(20, finishedBody({0x43, 0x4C, 0x4E, 0x54})));
        transcript.insert(transcript.end(), clear.begin(), clear.end());
    }

    // The server's ChangeCipherSpec and Finished records.
    Bytes changeCipherSpec() {
        const Bytes out = plainRecord(20, {1});
        serverActive = true;
        serverSequence = 0;
        return out;
    }
    Bytes finished() {
        return record(22, handshakeMessage(20, finishedBody({0x53, 0x52, 0x56, 0x52})));
    }

    // Checks and decrypts one protected client record; its type goes to lastClientType.
    Bytes openClientRecord(const Bytes& record) {
        const size_t macSize = sha1Mac ? 20 : 16;
        EXPECT_GE(record.size(), 5 + macSize);
        if (record.size() < 5 + macSize) {
            return {};
        }
        EXPECT_EQ(static_cast<size_t>(record[3]) << 8 | record[4], record.size() - 5);
        const Bytes clear = clientCipher.crypt(Bytes(record.begin() + 5, record.end()));
        const Bytes data(clear.begin(), clear.end() - macSize);
        const Bytes mac(clear.end() - macSize, clear.end());
        EXPECT_EQ(mac, recordMac(sha1Mac, clientMacSecret, clientSequence++, record[0], data))
            << "client record " << clientSequence - 1;
        lastClientType = record[0];
        return data;
    }

    void deriveKeys() {
        static const char* const salts[] = {"A", "BB", "CCC", "DDDD", "EEEEE"};
        auto block = [](const char* salt, const Bytes& secret, const Bytes& a, const Bytes& b) {
            const Bytes label(salt, salt + std::char_traits<char>::length(salt));
            return md5(concat({secret, sha1(concat({label, secret, a, b}))}));
        };
        master.clear();
        for (int i = 0; i < 3; ++i) {
            const Bytes part = block(salts[i], preMaster, clientRandom, serverRandom);
            master.insert(master.end(), part.begin(), part.end());
        }
        keyBlock.clear();
        for (int i = 0; i < 5; ++i) {
            const Bytes part = block(salts[i], master, serverRandom, clientRandom);
            keyBlock.insert(keyBlock.end(), part.begin(), part.end());
        }
        const size_t m = sha1Mac ? 20 : 16;
        clientMacSecret.assign(keyBlock.begin(), keyBlock.begin() + m);
        serverMacSecret.assign(keyBlock.begin() + m, keyBlock.begin() + 2 * m);
        clientCipher.setKey(Bytes(keyBlock.begin() + 2 * m, keyBlock.begin() + 2 * m + 16));
        serverCipher.setKey(Bytes(keyBlock.begin() + 2 * m + 16, keyBlock.begin() + 2 * m + 32));
    }

    // The Finished body of the side SENDER names over the transcript so far.
    Bytes finishedBody(const Bytes& sender) const {
        const Bytes md5Part =
            md5(concat({master, repeat(0x5C, 48),
                        md5(concat({transcript, sender, master, repeat(0x36, 48)}))}));
        const Bytes shaPart =
            sha1(concat({master, repeat(0x5C, 40),
                         sha1(concat({transcript, sender, master, repeat(0x36, 40)}))}));
        return concat({md5Part, shaPart});
    }

    const TestRsaKey* key_;
    bool sha1Mac = false;
    Bytes clientRandom;
    Bytes serverRandom;
    Bytes preMaster;
    Bytes master;
    Bytes keyBlock;
    Bytes transcript;
    Bytes clientMacSecret;
    Bytes serverMacSecret;
    OpenSslRc4 clientCipher;
    OpenSslRc4 serverCipher;
    bool serverActive = false;
    uint32_t serverSequence = 0;
    uint32_t clientSequence = 0;
    uint8_t lastClientType = 0;
};

// The traffic log read back: a text line as it is, an entry as
// "<tag>: <hex bytes>" (two lower-case digits a byte, separated by blanks).
inline std::vector<std::string> readLogItems(const std::string& contents) {
    std::vector<std::string> items;
    std::istringstream in(contents);
    std::string line;
    while (std::getline(in, line)) {
        const size_t version = line.find(" 7.1 ");
        if (version != std::string::npos && line.size() == version + 5 + 24) {
            std::string item = line.substr(0, version) + ":";
            while (std::getline(in, line) && !line.empty()) {
                for (size_t i = 0; i + 3 <= line.size() && i < 48 && line[i] != ' '; i += 3) {
                    item += " " + line.substr(i, 2);
                }
            }
            items.push_back(item);
        } else {
            items.push_back(line);
        }
    }
    return items;
}

inline std::string hex(const Bytes& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (uint8_t b : bytes) {
        out += ' ';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

}  // namespace kestrel::test_support
