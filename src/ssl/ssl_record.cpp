// The SSL 3.0 record layer: record framing, the SSL 3.0 MAC and RC4, in both
// directions (RFC 6101 section 5.2).
#include "ssl/ssl_record.h"

#include <algorithm>
#include <cstdio>

#include "net/traffic_log.h"
#include "ssl/md5.h"
#include "ssl/sha1.h"

namespace kestrel {
namespace {

constexpr uint8_t kAlertWarning = 1;

// The pad lengths of the SSL 3.0 MAC (RFC 6101 5.2.3.1).
size_t padLength(MacAlgorithm algorithm) {
    return algorithm == MacAlgorithm::Md5 ? 48 : 40;
}

template <typename Hash>
void macWith(size_t secretLength, size_t padSize, const uint8_t* secret, const uint8_t* head,
             size_t headLength, const uint8_t* data, size_t length, uint8_t* mac) {
    uint8_t pad1[48];
    uint8_t pad2[48];
    std::fill(pad1, pad1 + padSize, 0x36);
    std::fill(pad2, pad2 + padSize, 0x5C);
    uint8_t inner[Hash::kDigestSize];
    Hash hash;
    hash.update(secret, secretLength);
    hash.update(pad1, padSize);
    hash.update(head, headLength);
    hash.update(data, length);
    hash.final(inner);
    hash.init();
    hash.update(secret, secretLength);
    hash.update(pad2, padSize);
    hash.update(inner, sizeof inner);
    hash.final(mac);
}

void putUint16(uint8_t* out, size_t value) {
    out[0] = static_cast<uint8_t>(value >> 8);
    out[1] = static_cast<uint8_t>(value);
}

}  // namespace

size_t macLength(MacAlgorithm algorithm) {
    return algorithm == MacAlgorithm::Md5 ? Md5::kDigestSize : Sha1::kDigestSize;
}

void computeRecordMac(MacAlgorithm algorithm, const uint8_t* secret, uint32_t sequence,
                      uint8_t type, const uint8_t* data, size_t length, uint8_t* mac) {
    // Sequence number (8 bytes, the upper four 0), type, length.
    uint8_t head[11] = {0,
                        0,
                        0,
                        0,
                        static_cast<uint8_t>(sequence >> 24),
                        static_cast<uint8_t>(sequence >> 16),
                        static_cast<uint8_t>(sequence >> 8),
                        static_cast<uint8_t>(sequence),
                        type};
    putUint16(head + 9, length);
    const size_t secretLength = macLength(algorithm);
    if (algorithm == MacAlgorithm::Md5) {
        macWith<Md5>(secretLength, padLength(algorithm), secret, head, sizeof head, data, length,
                     mac);
    } else {
        macWith<Sha1>(secretLength, padLength(algorithm), secret, head, sizeof head, data, length,
                      mac);
    }
}

bool equalInConstantTime(const uint8_t* a, const uint8_t* b, size_t length) {
    uint8_t difference = 0;
    for (size_t i = 0; i < length; ++i) {
        difference |= a[i] ^ b[i];
    }
    return difference == 0;
}

SslRecordLayer::SslRecordLayer(TrafficLog& log, RecordSink& sink) : log_(log), sink_(sink) {
    outbound_.reserve(kRecordHeaderSize + kMaxPlaintextFragment + kMaxMacSize);
}

void SslRecordLayer::reset() {
    macAlgorithm_ = MacAlgorithm::Md5;
    client_ = CipherDirection{};
    server_ = CipherDirection{};
    plaintext_ = nullptr;
    plaintextLength_ = 0;
    alertDescription_ = 0;
}

void SslRecordLayer::send(ContentType type, const uint8_t* data, size_t length) {
    // Longer data is split into several records rather than sent as one record
    // that the server must refuse (RFC 6101 5.2.1).
    size_t offset = 0;
    do {
        const size_t piece = std::min(length - offset, kMaxPlaintextFragment);
        sendOne(type, data + offset, piece);
        offset += piece;
    } while (offset < length);
}

void SslRecordLayer::sendOne(ContentType type, const uint8_t* data, size_t length) {
    const uint8_t typeByte = static_cast<uint8_t>(type);
    const size_t mac = client_.active ? macLength(macAlgorithm_) : 0;
    outbound_.assign(kRecordHeaderSize + length + mac, 0);
    outbound_[0] = typeByte;
    outbound_[1] = 3;
    outbound_[2] = 0;
    putUint16(&outbound_[3], length + mac);
    if (length > 0) {
        std::copy(data, data + length, outbound_.begin() + kRecordHeaderSize);
    }
    if (client_.active) {
        computeRecordMac(macAlgorithm_, client_.macSecret, client_.sequence, typeByte,
                         outbound_.data() + kRecordHeaderSize, length,
                         outbound_.data() + kRecordHeaderSize + length);
        log_.writeDiagnostic("PC (not crypted)", outbound_.data(), outbound_.size());
        client_.cipher.crypt(outbound_.data() + kRecordHeaderSize, length + mac);
    }
    sink_.writeRecord(outbound_.data(), outbound_.size());
    ++client_.sequence;
}

RecordStatus SslRecordLayer::receive(uint8_t* record, size_t length) {
    plaintext_ = nullptr;
    plaintextLength_ = 0;
    if (length < kRecordHeaderSize) {
        return RecordStatus::Ignored;
    }
    const size_t declared = static_cast<size_t>(record[3]) << 8 | record[4];
    if (length - kRecordHeaderSize > kMaxReceivedFragment || declared > kMaxReceivedFragment) {
        log_.writeTextLine("record too long from as/400");
        return RecordStatus::TooLong;
    }
    plaintext_ = record + kRecordHeaderSize;
    plaintextLength_ = length - kRecordHeaderSize;

    switch (record[0]) {
        case static_cast<uint8_t>(ContentType::ChangeCipherSpec):
            log_.writeTextLine("change cipher");
            server_.active = true;
            server_.sequence = 0;
            plaintext_ = nullptr;
            plaintextLength_ = 0;
            return RecordStatus::ChangeCipherSpec;

        case static_cast<uint8_t>(ContentType::Alert): {
            log_.writeDiagnostic("SSL ALERT", nullptr, 0);
            if (server_.active && !decryptAndCheck(record, length)) {
                return RecordStatus::BadMac;
            }
            ++server_.sequence;
            // An alert is two bytes, level and description (RFC 6101 5.4);
            // anything shorter carries no alert.
            if (plaintextLength_ < 2) {
                return RecordStatus::Ignored;
            }
            const uint8_t level = plaintext_[0];
            alertDescription_ = plaintext_[1];
            char line[64];
            std::snprintf(line, sizeof line, "alert from AS/400 level %d , type %d", level,
                          alertDescription_);
            log_.writeTextLine(line);
            return level == kAlertWarning ? RecordStatus::WarningAlert : RecordStatus::FatalAlert;
        }

        case static_cast<uint8_t>(ContentType::Handshake):
            if (server_.active && !decryptAndCheck(record, length)) {
                return RecordStatus::BadMac;
            }
            ++server_.sequence;
            return RecordStatus::Handshake;

        case static_cast<uint8_t>(ContentType::ApplicationData):
            log_.writeTextLine("user data from as/400");
            if (server_.active && !decryptAndCheck(record, length)) {
                return RecordStatus::BadMac;
            }
            ++server_.sequence;
            return RecordStatus::ApplicationData;

        default:
            plaintext_ = nullptr;
            plaintextLength_ = 0;
            return RecordStatus::Ignored;
    }
}

bool SslRecordLayer::decryptAndCheck(uint8_t* record, size_t length) {
    const size_t fragment = length - kRecordHeaderSize;
    const size_t mac = macLength(macAlgorithm_);
    uint8_t* body = record + kRecordHeaderSize;
    server_.cipher.crypt(body, fragment);
    const char* mismatch =
        macAlgorithm_ == MacAlgorithm::Md5 ? "wrong Mac from Host\t" : "wrong Mac from as/400";
    // A fragment too short to hold a MAC cannot carry a valid one.
    if (fragment < mac) {
        log_.writeTextLine(mismatch);
        plaintext_ = nullptr;
        plaintextLength_ = 0;
        return false;
    }
    const size_t dataLength = fragment - mac;
    uint8_t calculated[kMaxMacSize];
    computeRecordMac(macAlgorithm_, server_.macSecret, server_.sequence, record[0], body,
                     dataLength, calculated);
    log_.writeDiagnostic("serv mac check (server mac)", body + dataLength, mac);
    log_.writeDiagnostic("serv mac check (calculated mac)", calculated, mac);
    if (!equalInConstantTime(body + dataLength, calculated, mac)) {
        log_.writeTextLine(mismatch);
        plaintext_ = nullptr;
        plaintextLength_ = 0;
        return false;
    }
    log_.writeDiagnostic("IBM (decrypted)", record, length);
    plaintext_ = body;
    plaintextLength_ = dataLength;
    return true;
}

}  // namespace kestrel
