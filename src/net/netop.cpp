// netop: the inbound telnet state machine, the option handlers and the
// negotiation trace.
#include "net/netop.h"

namespace kestrel {
namespace telnet {
namespace {

// " %2.2x": a blank and two lower-case hex digits.
void appendHexByte(std::string& text, uint8_t byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    text.push_back(' ');
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0x0F]);
}

}  // namespace

std::string optionName(uint8_t option) {
    switch (option) {
        case OptionBinary:
            return "TN_TRANSBIT_BINARY";
        case OptionEcho:
            return "TN_ECHO";
        case OptionSuppressGa:
            return "TN_SUPPRESS_GA";
        case OptionStatus:
            return "TN_STATUS";
        case OptionTimingMark:
            return "TN_TIMING_MARK";
        case OptionTerminalType:
            return "TN_TERMTYPE";
        case OptionEndOfRecord:
            return "EOR";
        case SB:
            return "TELNET_NOPTIONS";
        default: {
            std::string name;
            appendHexByte(name, option);
            return name;
        }
    }
}

std::string_view commandName(uint8_t command) {
    switch (command) {
        case WILL:
            return " WILL";
        case WONT:
            return " WONT";
        case DO:
            return " DO";
        case DONT:
            return " DONT";
        default:
            return " BUG";
    }
}

}  // namespace telnet

using namespace telnet;

netop::netop(const Settings& settings, TelnetPeer& peer) : settings_(settings), peer_(peer) {
    // The terminal counts as echoing locally from the start, so a DO ECHO is
    // not answered until the host has offered to echo itself (WILL ECHO).
    localOptions_[OptionEcho] = 1;
}

TelnetResult netop::processByte(uint8_t byte) {
    if (inSubnegotiation_) {
        // SE ends the subnegotiation with or without an IAC before it; the IAC
        // of IAC SE is stored like any other byte.
        if (byte == SE) {
            inSubnegotiation_ = false;
            endSubnegotiation();
        } else if (subnegotiationLength_ < kSubnegotiationSize) {
            subnegotiation_[subnegotiationLength_++] = byte;
        }
        return TelnetResult::Consumed;
    }
    if (byte != IAC && !iacSeen_) {
        return TelnetResult::Data;
    }
    if (byte >= SB && byte <= DONT) {
        // The option follows; iacSeen_ stays set so that it is read as one.
        command_ = byte;
        return TelnetResult::Consumed;
    }
    if (byte == IAC) {
        if (iacSeen_) {
            iacSeen_ = false;
            return TelnetResult::Data;  // IAC IAC: an escaped 255 data byte
        }
        iacSeen_ = true;
        return TelnetResult::Consumed;
    }
    iacSeen_ = false;
    if (byte == DM) {
        trace("HOST: IAC DM\n\r");
        return TelnetResult::Consumed;
    }
    if (byte == EOR) {
        return TelnetResult::EndOfRecord;
    }
    handleOption(byte);
    return TelnetResult::Consumed;
}

void netop::handleOption(uint8_t option) {
    switch (command_) {
        case SB:
            inSubnegotiation_ = true;
            subnegotiation_[0] = option;
            subnegotiationLength_ = 1;
            break;
        case WILL:
            handleWill(option);
            break;
        case WONT:
            handleWont(option);
            break;
        case DO:
            handleDo(option);
            break;
        case DONT:
            handleDont(option);
            break;
        default:
            break;  // no command seen yet
    }
}

void netop::handleWill(uint8_t option) {
    if (tracing()) {
        trace("HOST: IAC WILL " + optionName(option) + " \n\r");
    }
    switch (option) {
        case OptionEcho:
            // The host echoes, so the terminal no longer does.
            localOptions_[OptionEcho] = 0;
            break;
        case OptionEndOfRecord:
            peer_.recordModeOn();
            break;
        case OptionBinary:
        case OptionSuppressGa:
        case OptionTerminalType:
            break;
        default:
            reply(DONT, option);
            return;
    }
    // An option already in force is not acknowledged again (RFC 854), which
    // keeps a host that repeats itself from starting a negotiation loop.
    if (remoteOptions_[option]) {
        return;
    }
    remoteOptions_[option] = 1;
    reply(DO, option);
}

void netop::handleWont(uint8_t option) {
    if (tracing()) {
        trace("HOST: IAC WONT " + optionName(option) + " \n\r");
    }
    // Codes above SB never reach a handler from the byte stream (they are read
    // as commands or as IAC); the rule only keeps the handler total.
    if (option > SB) {
        reply(DONT, option);
    } else if (remoteOptions_[option]) {
        remoteOptions_[option] = 0;
        reply(DONT, option);
    }
}

void netop::handleDo(uint8_t option) {
    if (tracing()) {
        trace("HOST: IAC DO " + optionName(option) + " \n\r");
    }
    switch (option) {
        case OptionEndOfRecord:
            peer_.recordModeOn();
            break;
        case OptionBinary:
        case OptionEcho:
        case OptionSuppressGa:
        case OptionTerminalType:
            break;
        default:
            reply(WONT, option);
            return;
    }
    if (localOptions_[option]) {
        return;
    }
    localOptions_[option] = 1;
    reply(WILL, option);
}

void netop::handleDont(uint8_t option) {
    if (tracing()) {
        trace("HOST: IAC DONT " + optionName(option) + "\n\r");
    }
    if (option > SB) {
        reply(WONT, option);
    } else if (localOptions_[option]) {
        localOptions_[option] = 0;
        reply(WONT, option);
    }
}

void netop::endSubnegotiation() {
    const size_t length = subnegotiationLength_;
    const uint8_t option = subnegotiation_[0];
    if (tracing()) {
        // The last stored byte is left out: it is normally the IAC of IAC SE.
        std::string line = "HOST: IAC SB " + optionName(option);
        for (size_t i = 1; i + 1 < length; ++i) {
            appendHexByte(line, subnegotiation_[i]);
        }
        line += " SE\n\r";
        trace(line);
    }
    // A bare "SB TERMINAL-TYPE SE" carries no SEND byte; byte 1 would be left
    // over from an earlier subnegotiation, so it is not looked at.
    if (length < 2 || option != OptionTerminalType || subnegotiation_[1] != TerminalTypeSend) {
        return;
    }
    // RFC 1091 IS reply; the model follows the alternate screen size (RFC 1576).
    const std::string_view type = settings_.alternate == 32 ? "IBM-3278-3-E" : "IBM-3278-2-E";
    std::string bytes = {char(IAC), char(SB), char(OptionTerminalType), char(TerminalTypeIs)};
    bytes += type;
    bytes += {char(IAC), char(SE)};
    peer_.sendUnframed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (tracing()) {
        trace("CLIENT: IAC SB TERMTYPE IS " + std::string(type) + "  IAC SE\n\r");
    }
}

void netop::sendKeepAlive() {
    reply(DO, OptionTimingMark);
}

void netop::reply(uint8_t command, uint8_t option) {
    const uint8_t bytes[3] = {IAC, command, option};
    peer_.sendUnframed(bytes, sizeof bytes);
    if (tracing()) {
        trace("CLIENT: IAC " + std::string(commandName(command)) + " " + optionName(option) +
              "\n\r");
    }
}

void netop::trace(std::string_view text) {
    if (tracing()) {
        peer_.traceLine(text);
    }
}

}  // namespace kestrel
