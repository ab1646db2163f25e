// netop: the telnet negotiation state of one host connection.
//
// Bytes in, results out: every inbound byte goes through processByte, which
// says whether it was part of a telnet command, a data byte, or the end of a
// 3270 record (IAC EOR). Replies to the host's option requests leave through
// the TelnetPeer while the byte is processed; nothing here touches a socket.
// The terminal answers only what the host asks (RFC 854, 855) and originates
// nothing but the keep-alive IAC DO TIMING-MARK (RFC 860).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/settings.h"

namespace kestrel {

// What netop needs of the session that owns it. The callbacks run inside
// processByte and sendKeepAlive; they must not destroy the netop that calls them.
class TelnetPeer {
  public:
    virtual ~TelnetPeer() = default;
    // Bytes for the host, sent as they are (no IAC doubling, no IAC EOR).
    virtual void sendUnframed(const uint8_t* data, size_t length) = 0;
    // One negotiation trace line, with its own line end. Called only while the
    // setting show_negotiation is on.
    virtual void traceLine(std::string_view text) = 0;
    // The host negotiated END-OF-RECORD (RFC 885): data is now cut into records
    // and outbound records are framed. Called at every WILL EOR and DO EOR.
    virtual void recordModeOn() = 0;
};

enum class TelnetResult {
    Consumed,     // part of a telnet command; nothing more to do
    Data,         // the byte is a data byte for the record buffer
    EndOfRecord,  // IAC EOR completed a record
};

namespace telnet {

constexpr uint8_t SE = 240;
constexpr uint8_t NOP = 241;
constexpr uint8_t DM = 242;
constexpr uint8_t BRK = 243;  // sent for ATTN
constexpr uint8_t IP = 244;   // sent for SYSREQ
constexpr uint8_t GA = 249;
constexpr uint8_t SB = 250;
constexpr uint8_t WILL = 251;
constexpr uint8_t WONT = 252;
constexpr uint8_t DO = 253;
constexpr uint8_t DONT = 254;
constexpr uint8_t IAC = 255;
constexpr uint8_t EOR = 239;  // the command byte of IAC EOR (RFC 885)

constexpr uint8_t OptionBinary = 0;         // RFC 856
constexpr uint8_t OptionEcho = 1;           // RFC 857
constexpr uint8_t OptionSuppressGa = 3;     // RFC 858
constexpr uint8_t OptionStatus = 5;         // RFC 859
constexpr uint8_t OptionTimingMark = 6;     // RFC 860
constexpr uint8_t OptionTerminalType = 24;  // RFC 1091
constexpr uint8_t OptionEndOfRecord = 25;   // RFC 885

constexpr uint8_t TerminalTypeIs = 0;
constexpr uint8_t TerminalTypeSend = 1;

// The trace name of an option ("TN_TERMTYPE", or " 2a" for one without a name)
// and of a reply command (" WILL", " WONT", " DO", " DONT", else " BUG").
std::string optionName(uint8_t option);
std::string_view commandName(uint8_t command);

}  // namespace telnet

class netop {
  public:
    static constexpr size_t kSubnegotiationSize = 80;

    // SETTINGS is read when it matters (show_negotiation at every trace line,
    // alternate at every terminal-type request), so changes apply at once.
    netop(const Settings& settings, TelnetPeer& peer);
    netop(const netop&) = delete;
    netop& operator=(const netop&) = delete;

    TelnetResult processByte(uint8_t byte);

    // Sends IAC DO TIMING-MARK and traces it like a reply. Changes no state.
    void sendKeepAlive();

  private:
    void handleOption(uint8_t option);
    void handleWill(uint8_t option);
    void handleWont(uint8_t option);
    void handleDo(uint8_t option);
    void handleDont(uint8_t option);
    void endSubnegotiation();
    // Sends IAC COMMAND OPTION, then traces it.
    void reply(uint8_t command, uint8_t option);
    void trace(std::string_view text);
    bool tracing() const { return settings_.show_negotiation != 0; }

    const Settings& settings_;
    TelnetPeer& peer_;

    // The last command byte seen after IAC (SB, WILL, WONT, DO or DONT), 0 until
    // the first. Never cleared: a later IAC followed by a non-command byte is
    // taken as another option of the same command.
    uint8_t command_ = 0;
    bool iacSeen_ = false;
    // remote: answered the host's WILL with DO; local: answered its DO with WILL.
    std::array<uint8_t, 256> remoteOptions_{};
    std::array<uint8_t, 256> localOptions_{};
    bool inSubnegotiation_ = false;
    // Byte 0 is the option; the bytes after it as received, up to the SE.
    std::array<uint8_t, kSubnegotiationSize> subnegotiation_{};
    size_t subnegotiationLength_ = 0;
};

}  // namespace kestrel
