// The SSL 3.0 record layer (RFC 6101 section 5.2): frames, MACs and encrypts
// the records the client sends, and checks and decrypts the records it
// receives, with the stream cipher RC4 and the SSL 3.0 MAC over MD5 or SHA-1.
//
// It never touches a socket: finished records leave through a RecordSink, and
// received records come in one whole record at a time. It writes its
// diagnostic entries and text lines to the traffic log; what the user must be
// told about a received record is returned as a status for the caller to act
// on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ssl/rc4.h"

namespace kestrel {

class TrafficLog;

enum class ContentType : uint8_t {
    ChangeCipherSpec = 20,
    Alert = 21,
    Handshake = 22,
    ApplicationData = 23,
};

enum class MacAlgorithm { Md5, Sha1 };

inline constexpr size_t kRecordHeaderSize = 5;
// The largest fragment the client puts into one record (RFC 6101 5.2.1).
inline constexpr size_t kMaxPlaintextFragment = 16384;
// The largest fragment a received record may carry: a compressed and
// encrypted fragment may exceed the plaintext limit by 2048 (RFC 6101 5.2.3).
inline constexpr size_t kMaxReceivedFragment = 16384 + 2048;
inline constexpr size_t kMaxMacSize = 20;

// The MAC length of ALGORITHM: 16 bytes for MD5, 20 for SHA-1; the MAC secrets
// have the same length.
size_t macLength(MacAlgorithm algorithm);

// The SSL 3.0 record MAC (RFC 6101 5.2.3.1):
// H(secret ‖ pad2 ‖ H(secret ‖ pad1 ‖ sequence (8 bytes) ‖ type ‖ length (2) ‖ data)),
// pads of 0x36 and 0x5C, 48 bytes for MD5 and 40 for SHA-1. Writes
// macLength(algorithm) bytes to MAC.
void computeRecordMac(MacAlgorithm algorithm, const uint8_t* secret, uint32_t sequence,
                      uint8_t type, const uint8_t* data, size_t length, uint8_t* mac);

// Whether the LENGTH bytes at A and B are equal, in a time that does not
// depend on where they differ.
bool equalInConstantTime(const uint8_t* a, const uint8_t* b, size_t length);

// Where the record layer delivers each finished record: header and body, as it
// goes on the wire.
class RecordSink {
  public:
    virtual ~RecordSink() = default;
    virtual void writeRecord(const uint8_t* record, size_t length) = 0;
};

// One direction of the connection: whether it is protected, its sequence
// number, its MAC secret and its RC4 state.
struct CipherDirection {
    bool active = false;
    uint32_t sequence = 0;  // on the wire as 8 bytes, the upper four 0; wraps
    uint8_t macSecret[kMaxMacSize] = {};
    Rc4 cipher;
};

// What became of a received record.
enum class RecordStatus {
    Ignored,           // nothing for anybody (unknown type, empty or short record)
    ChangeCipherSpec,  // the server's side is now protected
    WarningAlert,      // logged; the session goes on
    FatalAlert,        // alertDescription() holds the description
    Handshake,         // plaintext() holds the handshake messages
    ApplicationData,   // plaintext() holds data for the telnet layer
    BadMac,            // the MAC did not match: the session must end
    TooLong,           // the fragment exceeds kMaxReceivedFragment: the session must end
};

class SslRecordLayer {
  public:
    // LOG and SINK must outlive the record layer.
    SslRecordLayer(TrafficLog& log, RecordSink& sink);

    // Back to the state of a new connection: both sides in clear, sequence
    // numbers 0, MAC algorithm MD5.
    void reset();

    // Sends DATA as records of TYPE: one record per kMaxPlaintextFragment
    // bytes (one empty record for no data). Once the client side is protected
    // each record carries a MAC and is encrypted, and its clear form is logged
    // as "PC (not crypted)". Every record, protected or not, advances the
    // client sequence number.
    void send(ContentType type, const uint8_t* data, size_t length);

    // Checks and decrypts one received record of LENGTH bytes, header
    // included, in place. The plaintext (for handshake and application data)
    // stays valid until the next call.
    RecordStatus receive(uint8_t* record, size_t length);
    const uint8_t* plaintext() const { return plaintext_; }
    size_t plaintextLength() const { return plaintextLength_; }
    uint8_t alertDescription() const { return alertDescription_; }

    // The keys, set by the handshake. The MAC algorithm applies to both sides.
    void setMacAlgorithm(MacAlgorithm algorithm) { macAlgorithm_ = algorithm; }
    MacAlgorithm macAlgorithm() const { return macAlgorithm_; }
    CipherDirection& client() { return client_; }
    CipherDirection& server() { return server_; }
    const CipherDirection& client() const { return client_; }
    const CipherDirection& server() const { return server_; }

  private:
    void sendOne(ContentType type, const uint8_t* data, size_t length);
    // Decrypts the fragment of RECORD and checks its MAC; sets the plaintext.
    bool decryptAndCheck(uint8_t* record, size_t length);

    TrafficLog& log_;
    RecordSink& sink_;
    MacAlgorithm macAlgorithm_ = MacAlgorithm::Md5;
    CipherDirection client_;
    CipherDirection server_;
    std::vector<uint8_t> outbound_;
    const uint8_t* plaintext_ = nullptr;
    size_t plaintextLength_ = 0;
    uint8_t alertDescription_ = 0;
};

}  // namespace kestrel
