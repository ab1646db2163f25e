// The host side of a telnet connection carrying TN3270: option negotiation
// (RFC 854/855 with the loop-free rules of RFC 1143), TERMINAL-TYPE (RFC 1091),
// END-OF-RECORD (RFC 885) and BINARY (RFC 856). Bytes in, events and bytes out;
// no socket.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::demo_host {

inline constexpr uint8_t kIac = 255;
inline constexpr uint8_t kDont = 254;
inline constexpr uint8_t kDo = 253;
inline constexpr uint8_t kWont = 252;
inline constexpr uint8_t kWill = 251;
inline constexpr uint8_t kSb = 250;
inline constexpr uint8_t kSe = 240;
inline constexpr uint8_t kEor = 239;
inline constexpr uint8_t kBreak = 243;
inline constexpr uint8_t kInterruptProcess = 244;

inline constexpr uint8_t kOptionBinary = 0;
inline constexpr uint8_t kOptionTerminalType = 24;
inline constexpr uint8_t kOptionEndOfRecord = 25;

inline constexpr uint8_t kTerminalTypeIs = 0;
inline constexpr uint8_t kTerminalTypeSend = 1;

struct TelnetEvent {
    enum class Kind {
        Record,        // a record ended by IAC EOR; data holds it, IAC undoubled
        TerminalType,  // SB TERMINAL-TYPE IS; data holds the name
        OptionChange,  // an option was agreed or refused; see the option states
        Command,       // IAC and a command without option (BRK, IP, AYT, …); code holds it
    };
    Kind kind;
    std::vector<uint8_t> data;
    uint8_t code = 0;        // option or command
    bool truncated = false;  // a record longer than the record limit
};

class TelnetServer {
  public:
    enum class State : uint8_t { No, WantYes, Yes };

    static constexpr size_t kRecordLimit = 32768;

    // Ask the client to perform OPTION (IAC DO) or offer to perform it (IAC WILL).
    void requestClientOption(uint8_t option);
    void requestHostOption(uint8_t option);
    // IAC SB TERMINAL-TYPE SEND IAC SE.
    void requestTerminalType();
    // A 3270 record: IAC doubled, IAC EOR appended.
    void sendRecord(std::span<const uint8_t> record);
    // Line-mode text (ASCII), IAC doubled, no end-of-record mark.
    void sendText(std::string_view text);

    using EventHandler = std::function<void(const TelnetEvent&)>;

    // Processes bytes from the client; answers negotiation into the output and
    // hands each event to HANDLER as soon as its last byte is read, so what the
    // handler sends comes before the answers to the bytes that follow.
    void receive(std::span<const uint8_t> bytes, const EventHandler& handler);
    // The same, collecting the events.
    std::vector<TelnetEvent> receive(std::span<const uint8_t> bytes);

    // Bytes for the client, taken once.
    std::vector<uint8_t> takeOutput();

    State clientOption(uint8_t option) const { return client_[option]; }
    State hostOption(uint8_t option) const { return host_[option]; }
    // The client refused an option this side asked for.
    bool clientRefused(uint8_t option) const { return clientRefused_[option]; }
    bool hostRefused(uint8_t option) const { return hostRefused_[option]; }

  private:
    enum class Parse { Data, Iac, Option, Sub, SubIac };

    void handleOption(uint8_t command, uint8_t option, const EventHandler& handler);
    void afterIac(uint8_t byte, const EventHandler& handler);
    void appendData(uint8_t byte);
    void endSubnegotiation(const EventHandler& handler);
    void send(std::initializer_list<uint8_t> bytes);

    Parse parse_ = Parse::Data;
    uint8_t command_ = 0;
    std::vector<uint8_t> record_;
    bool recordTruncated_ = false;
    std::vector<uint8_t> sub_;
    std::vector<uint8_t> output_;
    std::array<State, 256> client_{};  // options the client performs
    std::array<State, 256> host_{};    // options this side performs
    std::array<bool, 256> clientRefused_{};
    std::array<bool, 256> hostRefused_{};
};

}  // namespace kestrel::demo_host
