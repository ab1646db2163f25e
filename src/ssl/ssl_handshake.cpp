// The client side of the SSL 3.0 handshake with RSA key exchange
// (RFC 6101 sections 5.6 and 6).
#include "ssl/ssl_handshake.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "net/traffic_log.h"
#include "ssl/certificate.h"
#include "ssl/md5.h"
#include "ssl/random.h"
#include "ssl/rsa.h"
#include "ssl/sha1.h"

namespace kestrel {
namespace {

constexpr uint8_t kClientSender[4] = {0x43, 0x4C, 0x4E, 0x54};  // "CLNT", RFC 6101 5.6.9
constexpr uint8_t kServerSender[4] = {0x53, 0x52, 0x56, 0x52};  // "SRVR"
constexpr size_t kFinishedSize = 36;                            // MD5 then SHA-1

// The salts of the SSL 3.0 key derivation: "A", "BB", "CCC", ... (RFC 6101 6.2.2).
void salt(int index, uint8_t* out) {
    std::fill(out, out + index + 1, static_cast<uint8_t>('A' + index));
}

// One 16-byte block of the SSL 3.0 derivation:
// MD5(secret ‖ SHA-1(salt ‖ secret ‖ first ‖ second)).
void deriveBlock(int index, const uint8_t* secret, const uint8_t* first, const uint8_t* second,
                 uint8_t* out) {
    uint8_t label[8];
    salt(index, label);
    uint8_t inner[Sha1::kDigestSize];
    Sha1 sha;
    sha.update(label, index + 1);
    sha.update(secret, 48);
    sha.update(first, 32);
    sha.update(second, 32);
    sha.final(inner);
    Md5 md5;
    md5.update(secret, 48);
    md5.update(inner, sizeof inner);
    md5.final(out);
}

// The in-memory form of a big number: a 16-bit word count, then the words,
// least significant first, each 16-bit value little-endian.
std::vector<uint8_t> bigNumberBytes(const BigNumber& number) {
    std::vector<uint8_t> bytes;
    bytes.reserve(2 + 2 * number.words.size());
    const size_t count = number.words.size();
    bytes.push_back(static_cast<uint8_t>(count));
    bytes.push_back(static_cast<uint8_t>(count >> 8));
    for (uint16_t word : number.words) {
        bytes.push_back(static_cast<uint8_t>(word));
        bytes.push_back(static_cast<uint8_t>(word >> 8));
    }
    return bytes;
}

size_t uint16At(const uint8_t* p) {
    return static_cast<size_t>(p[0]) << 8 | p[1];
}

size_t uint24At(const uint8_t* p) {
    return static_cast<size_t>(p[0]) << 16 | static_cast<size_t>(p[1]) << 8 | p[2];
}

// One half of a Finished message: hash(master + pad2 + hash(messages + sender +
// master + pad1)), with pads of PADLENGTH bytes 0x36 and 0x5C.
template <typename Hash>
void finishedHalf(const uint8_t* messages, size_t messagesLength, const uint8_t sender[4],
                  const uint8_t* master, size_t masterLength, size_t padLength, uint8_t* out) {
    uint8_t pad[48];
    uint8_t inner[Hash::kDigestSize];
    Hash hash;
    std::fill(pad, pad + padLength, 0x36);
    hash.update(messages, messagesLength);
    hash.update(sender, 4);
    hash.update(master, masterLength);
    hash.update(pad, padLength);
    hash.final(inner);
    std::fill(pad, pad + padLength, 0x5C);
    hash.init();
    hash.update(master, masterLength);
    hash.update(pad, padLength);
    hash.update(inner, Hash::kDigestSize);
    hash.final(out);
}

}  // namespace

std::optional<HandshakeMessage> nextHandshakeMessage(const uint8_t* data, size_t length,
                                                     size_t& offset) {
    if (offset > length || length - offset < 4) {
        return std::nullopt;
    }
    const uint8_t* message = data + offset;
    const size_t bodyLength = uint24At(message + 1);
    if (bodyLength > length - offset - 4) {
        return std::nullopt;
    }
    offset += 4 + bodyLength;
    return HandshakeMessage{message[0], message, message + 4, bodyLength};
}

SslHandshake::SslHandshake(SslRecordLayer& records, TrafficLog& log)
    : records_(records), log_(log) {}

void SslHandshake::reset() {
    records_.reset();
    // Nothing of an earlier connection is carried over, not even the
    // certificate: every connection has a full handshake of its own.
    messages_.clear();
    certificate_.clear();
    keyModulus_.clear();
    keyExponent_.clear();
    subjectSummary_.clear();
    std::fill(std::begin(serverRandom_), std::end(serverRandom_), 0);
    std::fill(std::begin(preMaster_), std::end(preMaster_), 0);
    std::fill(std::begin(master_), std::end(master_), 0);
    std::fill(std::begin(keyBlock_), std::end(keyBlock_), 0);
    std::fill(std::begin(expectedServerFinished_), std::end(expectedServerFinished_), 0);
    clientFinishedSent_ = false;
    serverFinishedVerified_ = false;
}

void SslHandshake::start() {
    seedRandom();
    reset();
    uint8_t hello[45] = {static_cast<uint8_t>(HandshakeType::ClientHello), 0, 0, 41, 3, 0};
    for (size_t i = 0; i < sizeof clientRandom_; ++i) {
        clientRandom_[i] = randomByte();
    }
    std::copy(std::begin(clientRandom_), std::end(clientRandom_), hello + 6);
    hello[38] = 0;  // session id length
    hello[39] = 0;  // cipher suites: 2 bytes, SSL_RSA_WITH_RC4_128_MD5
    hello[40] = 2;
    hello[41] = 0x00;
    hello[42] = 0x04;
    hello[43] = 1;  // compression methods: null
    hello[44] = 0;
    append(hello, sizeof hello);
    records_.send(ContentType::Handshake, hello, sizeof hello);
}

HandshakeResult SslHandshake::receive(const uint8_t* data, size_t length) {
    size_t offset = 0;
    while (const std::optional<HandshakeMessage> message =
               nextHandshakeMessage(data, length, offset)) {
        const HandshakeResult result = handleMessage(*message);
        if (result != HandshakeResult::Continue) {
            return result == HandshakeResult::WrongFinished ? result : HandshakeResult::Continue;
        }
    }
    return HandshakeResult::Continue;
}

HandshakeResult SslHandshake::handleMessage(const HandshakeMessage& m) {
    const uint8_t* message = m.message;
    const uint8_t* body = m.body;
    const size_t bodyLength = m.bodyLength;
    const size_t messageLength = 4 + bodyLength;
    switch (m.type) {
        case static_cast<uint8_t>(HandshakeType::HelloRequest):
            log_.writeTextLine("AS400 sends hello request. We reply with handshake error");
            sendAlert(AlertLevel::Fatal, AlertDescription::HandshakeFailure);
            return HandshakeResult::Continue;

        case static_cast<uint8_t>(HandshakeType::ClientHello):
            log_.writeTextLine("unexpected CLIENTHELLO");
            return HandshakeResult::Stop;

        case static_cast<uint8_t>(HandshakeType::ServerHello):
            log_.writeTextLine("SERVERHELLO");
            if (clientFinishedSent_) {
                return HandshakeResult::Stop;  // no renegotiation: the keys stay
            }
            append(message, messageLength);
            return serverHello(body, bodyLength);

        case static_cast<uint8_t>(HandshakeType::Certificate):
            log_.writeTextLine("CERTIFICATE");
            append(message, messageLength);
            return certificate(body, bodyLength);

        case static_cast<uint8_t>(HandshakeType::ServerKeyExchange):
            log_.writeTextLine("serverkeyexchange");
            append(message, messageLength);
            return serverKeyExchange(body, bodyLength);

        case static_cast<uint8_t>(HandshakeType::CertificateRequest):
            log_.writeTextLine(
                "AS400 sends certificate request. We reply with nocertificate alert");
            append(message, messageLength);
            sendAlert(AlertLevel::Warning, AlertDescription::NoCertificate);
            return HandshakeResult::Continue;

        case static_cast<uint8_t>(HandshakeType::ServerHelloDone):
            log_.writeTextLine("SERVERHELLODONE");
            append(message, messageLength);
            if (!clientFinishedSent_) {
                finishHandshake();
            }
            return HandshakeResult::Continue;

        case static_cast<uint8_t>(HandshakeType::CertificateVerify):
            log_.writeTextLine(
                "AS400 sends certificate verify request. We reply with handshake error");
            sendAlert(AlertLevel::Fatal, AlertDescription::HandshakeFailure);
            return HandshakeResult::Continue;

        case static_cast<uint8_t>(HandshakeType::Finished):
            log_.writeTextLine("FINISHED from as/400");
            records_.server().active = true;
            return serverFinished(body, bodyLength);

        default: {
            char line[32];
            std::snprintf(line, sizeof line, "unknown handshake %x", m.type);
            log_.writeTextLine(line);
            return HandshakeResult::Stop;
        }
    }
}

void SslHandshake::sendAlert(AlertLevel level, AlertDescription description) {
    const uint8_t alert[2] = {static_cast<uint8_t>(level), static_cast<uint8_t>(description)};
    records_.send(ContentType::Alert, alert, sizeof alert);
}

void SslHandshake::append(const uint8_t* message, size_t length) {
    if (messages_.size() + length > kMaxHandshakeMessages) {
        log_.writeTextLine("out of memory");
        return;
    }
    messages_.insert(messages_.end(), message, message + length);
}

HandshakeResult SslHandshake::serverHello(const uint8_t* body, size_t length) {
    // version (2), random (32), session id (1 + n), cipher suite (2), compression (1)
    bool known = false;
    if (length >= 35) {
        std::copy(body + 2, body + 34, serverRandom_);
        const size_t suiteAt = 35 + body[34];
        if (suiteAt + 2 <= length && body[suiteAt] == 0) {
            switch (body[suiteAt + 1]) {
                case 0x04:
                    log_.writeTextLine("SSL_RSA_WITH_RC4_128_MD5");
                    records_.setMacAlgorithm(MacAlgorithm::Md5);
                    known = true;
                    break;
                case 0x05:
                    log_.writeTextLine("SSL_RSA_WITH_RC4_128_SHA");
                    records_.setMacAlgorithm(MacAlgorithm::Sha1);
                    known = true;
                    break;
                default:
                    // Every other suite, 0x0009 (DES-CBC with SHA-1) included,
                    // needs a cipher this client does not have.
                    break;
            }
        }
    }
    if (!known) {
        log_.writeTextLine("unknown cipher");
        sendAlert(AlertLevel::Fatal, AlertDescription::HandshakeFailure);
        return HandshakeResult::Stop;
    }
    return HandshakeResult::Continue;
}

HandshakeResult SslHandshake::certificate(const uint8_t* body, size_t length) {
    // The chain's total length (3), then the first certificate's length (3)
    // and the certificate itself (RFC 6101 5.6.2).
    const size_t certificateLength = length >= 6 ? uint24At(body + 3) : 0;
    if (length < 6 || certificateLength > kMaxCertificate || 6 + certificateLength > length) {
        log_.writeTextLine("CERTIFICATE unlegal format");
        return HandshakeResult::Stop;
    }
    certificate_.assign(body + 6, body + 6 + certificateLength);
    return HandshakeResult::Continue;
}

HandshakeResult SslHandshake::serverKeyExchange(const uint8_t* body, size_t length) {
    // Modulus and exponent, each with a 16-bit length (RFC 6101 5.6.3); the
    // signature that follows is not checked.
    bool usable = false;
    if (length >= 2) {
        const size_t modulusLength = uint16At(body);
        if (2 + modulusLength + 2 <= length) {
            const size_t exponentLength = uint16At(body + 2 + modulusLength);
            const size_t exponentAt = 2 + modulusLength + 2;
            if (modulusLength <= kMaxKeyExchangeNumber && exponentLength <= kMaxKeyExchangeNumber &&
                exponentAt + exponentLength <= length) {
                keyModulus_.assign(body + 2, body + 2 + modulusLength);
                keyExponent_.assign(body + exponentAt, body + exponentAt + exponentLength);
                usable = true;
            }
        }
    }
    if (!usable) {
        keyModulus_.clear();
        keyExponent_.clear();
        sendAlert(AlertLevel::Fatal, AlertDescription::HandshakeFailure);
        return HandshakeResult::Stop;
    }
    return HandshakeResult::Continue;
}

HandshakeResult SslHandshake::serverFinished(const uint8_t* body, size_t length) {
    // The server's Finished covers every handshake message up to and with the
    // client's Finished (RFC 6101 5.6.9); it is checked against the value
    // computed when the client's Finished went out.
    if (!clientFinishedSent_ || serverFinishedVerified_ || length != kFinishedSize ||
        !equalInConstantTime(body, expectedServerFinished_, kFinishedSize)) {
        log_.writeTextLine("wrong Finished from as/400");
        return HandshakeResult::WrongFinished;
    }
    serverFinishedVerified_ = true;
    return HandshakeResult::Continue;
}

void SslHandshake::finishHandshake() {
    if (!sendClientKeyExchange()) {
        return;
    }
    // ChangeCipherSpec in clear; it is numbered -1 so that the first
    // protected record is numbered 0.
    records_.client().sequence = 0xFFFFFFFFu;
    const uint8_t change = 1;
    records_.send(ContentType::ChangeCipherSpec, &change, 1);
    deriveKeys();
    sendClientFinished();
}

bool SslHandshake::sendClientKeyExchange() {
    std::vector<uint8_t> modulus = keyModulus_;
    std::vector<uint8_t> exponent = keyExponent_;
    if (!certificate_.empty()) {
        ParsedCertificate parsed = parseCertificate(certificate_.data(), certificate_.size());
        subjectSummary_ = parsed.subjectSummary;
        if (keyModulus_.empty()) {
            modulus = std::move(parsed.modulus);
            exponent = std::move(parsed.exponent);
        }
    } else if (keyModulus_.empty()) {
        return false;  // no key to encrypt with: the handshake stops here
    }

    // The pre-master secret is encrypted into a block of the modulus length,
    // built in a 256-byte area, with room for the PKCS#1 padding.
    const size_t k = modulus.size();
    if (k < kMinModulus || k > kMaxModulus) {
        sendAlert(AlertLevel::Fatal, AlertDescription::CertificateUnknown);
        return false;
    }
    const std::optional<RsaPublicKey> key =
        rsaKeySetup(exponent.data(), exponent.size(), modulus.data(), modulus.size());
    if (!key) {
        log_.writeTextLine("out of memory (keyexchange)");
        return false;
    }

    preMaster_[0] = 3;
    preMaster_[1] = 0;
    for (size_t i = 2; i < sizeof preMaster_; ++i) {
        preMaster_[i] = randomByte();
    }
    log_.writeDiagnostic("PC (premaster secret)", preMaster_, sizeof preMaster_);
    log_.writeDiagnostic("PC (RSA exp)", bigNumberBytes(key->exponent));
    log_.writeDiagnostic("PC (RSA mod)", bigNumberBytes(key->modulus));

    uint8_t message[4 + kMaxModulus] = {static_cast<uint8_t>(HandshakeType::ClientKeyExchange), 0,
                                        static_cast<uint8_t>(k >> 8), static_cast<uint8_t>(k)};
    std::copy(std::begin(preMaster_), std::end(preMaster_), message + 4);
    if (!rsaEncrypt(message + 4, sizeof preMaster_, *key)) {
        sendAlert(AlertLevel::Fatal, AlertDescription::CertificateUnknown);
        return false;
    }
    append(message, 4 + k);
    records_.send(ContentType::Handshake, message, 4 + k);
    return true;
}

void SslHandshake::deriveKeys() {
    log_.writeDiagnostic("PC (client random)", clientRandom_, sizeof clientRandom_);
    log_.writeDiagnostic("PC (server random)", serverRandom_, sizeof serverRandom_);
    // master = MD5 blocks over the pre-master with client random, server random
    for (int i = 0; i < 3; ++i) {
        deriveBlock(i, preMaster_, clientRandom_, serverRandom_, master_ + 16 * i);
    }
    log_.writeDiagnostic("PC (master secret)", master_, sizeof master_);
    // key block = MD5 blocks over the master with server random, client random
    for (int i = 0; i < 5; ++i) {
        deriveBlock(i, master_, serverRandom_, clientRandom_, keyBlock_ + 16 * i);
    }
    log_.writeDiagnostic("PC (key material)", keyBlock_, 72);

    // client MAC secret, server MAC secret, client write key, server write key
    const size_t mac = macLength(records_.macAlgorithm());
    CipherDirection& client = records_.client();
    CipherDirection& server = records_.server();
    std::copy(keyBlock_, keyBlock_ + mac, client.macSecret);
    std::copy(keyBlock_ + mac, keyBlock_ + 2 * mac, server.macSecret);
    client.cipher.setKey(keyBlock_ + 2 * mac, 16);
    server.cipher.setKey(keyBlock_ + 2 * mac + 16, 16);
}

void SslHandshake::computeFinished(const uint8_t sender[4], uint8_t out[36]) const {
    // The MD5 half pads with 48 bytes, the SHA-1 half with 40 (RFC 6101, 5.6.9).
    finishedHalf<Md5>(messages_.data(), messages_.size(), sender, master_, sizeof master_, 48, out);
    finishedHalf<Sha1>(messages_.data(), messages_.size(), sender, master_, sizeof master_, 40,
                       out + Md5::kDigestSize);
}

void SslHandshake::sendClientFinished() {
    uint8_t message[4 + kFinishedSize] = {static_cast<uint8_t>(HandshakeType::Finished), 0, 0,
                                          kFinishedSize};
    computeFinished(kClientSender, message + 4);
    // The server's Finished will cover the client's Finished as well.
    append(message, sizeof message);
    computeFinished(kServerSender, expectedServerFinished_);
    messages_.clear();
    records_.client().active = true;
    records_.send(ContentType::Handshake, message, sizeof message);
    clientFinishedSent_ = true;
}

}  // namespace kestrel
