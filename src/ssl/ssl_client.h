// The SSL 3.0 client as the session sees it: whole received records in,
// plaintext for the telnet layer and finished records for the socket out.
//
// It joins the record layer and the handshake, shows the messages that end a
// session, and asks its peer to end the session; it never touches a socket.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "ssl/ssl_handshake.h"
#include "ssl/ssl_record.h"

namespace kestrel {

struct Settings;
class TrafficLog;
class UserInterface;

// What the client needs of the session.
class SslPeer {
  public:
    virtual ~SslPeer() = default;
    // One whole record, to be written to the socket as it is (and logged "PC").
    virtual void sendRecord(const uint8_t* data, size_t length) = 0;
    // Decrypted application data for the telnet layer.
    virtual void plaintextReceived(const uint8_t* data, size_t length) = 0;
    // Ends the session quietly, without a reconnect.
    virtual void endSession() = 0;
};

class SslClient : private RecordSink {
  public:
    // The client logs to LOG, shows its messages on UI and works through
    // PEER; all must outlive it.
    SslClient(const Settings& settings, TrafficLog& log, UserInterface& ui, SslPeer& peer);

    // Starts a new handshake on a fresh connection: sends the ClientHello.
    void startHandshake();

    // One whole received record: the 5-byte header and LENGTH - 5 bytes of
    // body. After a fatal condition (wrong MAC, wrong Finished, fatal alert,
    // over-long record) the client shows its message, ends the session and
    // ignores every further record until the next handshake.
    void receiveRecord(const uint8_t* record, size_t length);

    // Application data, already telnet-framed. Data handed over before the
    // handshake is established is held and sent once it is, so that nothing
    // leaves in clear; at most kMaxHeldData bytes are held, the rest dropped.
    void send(const uint8_t* data, size_t length);

    // Whether the handshake has completed both ways and the session goes on.
    bool established() const;

    // Forgets the connection: both sides in clear, nothing held.
    void reset();

    // The summary of the server certificate's subject (see certificate.h).
    const std::string& subjectSummary() const { return handshake_.subjectSummary(); }

    static constexpr size_t kMaxHeldData = 65536;

  private:
    void writeRecord(const uint8_t* record, size_t length) override;
    void process(std::vector<uint8_t>& record);
    // Shows TEXT, then ends the session.
    void terminate(const std::string& text);
    void sendHeld();

    UserInterface& ui_;
    SslPeer& peer_;
    SslRecordLayer records_;
    SslHandshake handshake_;
    // Records that arrive while one is being handled (a message box or a
    // blocking send may let the session receive again) wait here.
    std::deque<std::vector<uint8_t>> inbox_;
    std::vector<uint8_t> held_;
    bool busy_ = false;
    bool ended_ = false;
    unsigned generation_ = 0;  // counts resets, so a reset during handling stops it
};

}  // namespace kestrel
