// The client side of the SSL 3.0 handshake (RFC 6101 section 5.6): the
// ClientHello, the server's messages, the RSA key exchange, the SSL 3.0 master
// secret and key block (RFC 6101 6.1, 6.2.2), and the Finished messages both
// ways (RFC 6101 5.6.9).
//
// It offers RSA with RC4-128 and MD5, accepts a server's choice of RC4-128
// with SHA-1, authenticates no certificate and never resumes a session. Its
// records go out through the record layer; it never touches a socket.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ssl/ssl_record.h"

namespace kestrel {

class TrafficLog;

enum class HandshakeType : uint8_t {
    HelloRequest = 0,
    ClientHello = 1,
    ServerHello = 2,
    Certificate = 11,
    ServerKeyExchange = 12,
    CertificateRequest = 13,
    ServerHelloDone = 14,
    CertificateVerify = 15,
    ClientKeyExchange = 16,
    Finished = 20,
};

enum class AlertLevel : uint8_t { Warning = 1, Fatal = 2 };

// Alert descriptions the client sends (RFC 6101 5.4.2).
enum class AlertDescription : uint8_t {
    HandshakeFailure = 40,
    NoCertificate = 41,
    CertificateUnknown = 46,
};

// What the handling of one handshake message leads to.
enum class HandshakeResult {
    Continue,       // go on with the next message of the record
    Stop,           // leave the rest of the record
    WrongFinished,  // the server's Finished does not match: the session must end
};

// One handshake message within a record's plaintext.
struct HandshakeMessage {
    uint8_t type;
    const uint8_t* message;  // with its 4-byte header
    const uint8_t* body;
    size_t bodyLength;
};

// The message at OFFSET of the LENGTH bytes at DATA, and OFFSET moved past it;
// nothing when fewer than 4 bytes remain or the message runs past the data (a
// message must lie wholly in one record).
std::optional<HandshakeMessage> nextHandshakeMessage(const uint8_t* data, size_t length,
                                                     size_t& offset);

class SslHandshake {
  public:
    // The handshake sends through RECORDS and logs to LOG; both must outlive it.
    SslHandshake(SslRecordLayer& records, TrafficLog& log);

    // Forgets everything of the last handshake and clears both cipher sides.
    void reset();

    // Starts a new handshake: reset(), then sends the ClientHello (45 bytes, suite 0x0004, no
    // session id, null compression) in clear.
    void start();

    // Handles the handshake messages of one received record's plaintext in
    // order. A message must lie wholly in the record; the walk ends at the
    // end of the data, at a message that does not fit, or at a Stop.
    // Returns WrongFinished when the session must end, else Continue.
    HandshakeResult receive(const uint8_t* data, size_t length);

    // One server message.
    HandshakeResult handleMessage(const HandshakeMessage& message);

    // An alert record of two bytes (encrypted once the client side is protected).
    void sendAlert(AlertLevel level, AlertDescription description);

    // Whether the client Finished has gone out, and whether the server's
    // Finished has arrived and matched.
    bool clientFinishedSent() const { return clientFinishedSent_; }
    bool serverFinishedVerified() const { return serverFinishedVerified_; }

    // The text summary of the last server certificate's subject (see
    // composeSubjectSummary); empty before the key exchange.
    const std::string& subjectSummary() const { return subjectSummary_; }

    // The size limits of what the handshake keeps.
    static constexpr size_t kMaxCertificate = 5000;
    static constexpr size_t kMaxKeyExchangeNumber = 255;
    static constexpr size_t kMaxHandshakeMessages = 262144;
    // The RSA block area; a modulus must leave room for PKCS#1 v1.5 padding of
    // at least 8 bytes around the 48-byte pre-master secret (RFC 2313 8.1).
    static constexpr size_t kMaxModulus = 256;
    static constexpr size_t kMinModulus = 48 + 11;

  private:
    void append(const uint8_t* message, size_t length);
    HandshakeResult serverHello(const uint8_t* body, size_t length);
    HandshakeResult certificate(const uint8_t* body, size_t length);
    HandshakeResult serverKeyExchange(const uint8_t* body, size_t length);
    HandshakeResult serverFinished(const uint8_t* body, size_t length);
    // ClientKeyExchange, ChangeCipherSpec, key derivation and Finished.
    void finishHandshake();
    bool sendClientKeyExchange();
    void deriveKeys();
    void sendClientFinished();
    // The 36-byte Finished of the side that SENDER names, over the handshake
    // messages so far.
    void computeFinished(const uint8_t sender[4], uint8_t out[36]) const;

    SslRecordLayer& records_;
    TrafficLog& log_;

    uint8_t clientRandom_[32] = {};
    uint8_t serverRandom_[32] = {};
    uint8_t preMaster_[48] = {};
    uint8_t master_[48] = {};
    uint8_t keyBlock_[80] = {};
    std::vector<uint8_t> messages_;  // every handshake message sent and received, headers included
    std::vector<uint8_t> certificate_;  // the first certificate of the server's chain
    std::vector<uint8_t> keyModulus_;   // of a ServerKeyExchange; empty when none
    std::vector<uint8_t> keyExponent_;
    std::string subjectSummary_;
    uint8_t expectedServerFinished_[36] = {};
    bool clientFinishedSent_ = false;
    bool serverFinishedVerified_ = false;
};

}  // namespace kestrel
