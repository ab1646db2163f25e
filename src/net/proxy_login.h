// The proxy login: the bytes that get a proxy to connect through to the host.
//
// Two kinds of proxy are served. A SOCKS version 4 proxy is sent a CONNECT
// request and answers with an 8-byte reply; any other proxy is driven like a
// terminal with a login line made from a template. These are pure functions:
// the session transport owns the socket, the flags and the timer, and sends
// what these functions build.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Message shown when the SOCKS destination cannot be resolved.
inline constexpr int kSocksLookupFailedMessage = 32787;

// An IPv4 address in network order: {a, b, c, d} for a.b.c.d.
using Ipv4Address = std::array<uint8_t, 4>;

// Name look-up: the first IPv4 address of a host name, or nothing.
using HostResolver = std::function<std::optional<Ipv4Address>(const std::string&)>;

// TEXT as a dotted-decimal IPv4 address: exactly four parts of one to three
// decimal digits, each 0-255, without leading zeros (so "010" is never read as
// octal) and without anything before, between or after them.
std::optional<Ipv4Address> parseDottedIpv4(std::string_view text);

// The address a SOCKS request names for HOST_NAME. When the first character,
// taken as a signed 8-bit value, is at most '9' (digits, but also an empty
// name and every character above 127), the name must be a dotted address;
// otherwise RESOLVE looks it up. A malformed dotted address, a failed look-up
// and the addresses 0.0.0.0 and 255.255.255.255 give nothing: the caller shows
// message 32787 and ends the session quietly.
std::optional<Ipv4Address> socksDestinationAddress(const std::string& hostName,
                                                   const HostResolver& resolve);

// The SOCKS 4 CONNECT request: version 4, command 1, PORT (its low 16 bits,
// most significant byte first), ADDRESS, USER_ID unchanged, a zero byte.
std::vector<uint8_t> socksConnectRequest(int port, const Ipv4Address& address,
                                         std::string_view userId);

// The scripted login line: PROXY_SYNTAX with its octal escapes decoded, then
// the first "$1" replaced by HOST_NAME and the first "$2" by PORT in decimal,
// in whichever order they stand. Only the template is searched: a host name
// that itself holds "$2" is not expanded again. Further placeholders stay as
// they are.
std::vector<uint8_t> scriptedLoginText(std::string_view proxySyntax, std::string_view hostName,
                                       int port);

// The sends that carry a login line. When its first byte, taken as a signed
// 8-bit value, is below 32 (0-31 and 128-255), that byte goes alone and the rest
// in a second send; otherwise the whole line goes in one send. Empty pieces are
// never sent: an empty line gives no send at all, a line of one such byte only
// that byte.
std::vector<std::vector<uint8_t>> splitScriptedLogin(std::span<const uint8_t> text);

// How far an awaited SOCKS reply has come; kept by the session beside its
// socks_reply_pending flag and reset whenever a new request is sent.
struct SocksReplyProgress {
    std::size_t seen = 0;  // reply bytes consumed so far, 0-7
    uint8_t code = 0;      // the reply code, once its byte has been seen
};

// What one read did to an awaited SOCKS reply.
struct SocksReplyCheck {
    bool consumed = false;  // the read began with (or continued) the reply
    bool complete = false;  // all 8 bytes seen: clear socks_reply_pending
    bool granted = false;   // complete and the code is 90
    // Bytes of the same read after the reply: host data for the normal
    // receive path.
    std::vector<uint8_t> hostData;
};

inline constexpr std::size_t kSocksReplyLength = 8;
inline constexpr uint8_t kSocksGranted = 90;

// Checks a read of BYTES while a SOCKS reply may be awaited. Nothing is
// consumed unless SOCKS_ENABLED and REPLY_PENDING are set and either the read
// begins with the reply's version byte 0 or PROGRESS shows a reply already
// begun. The reply is 8 bytes; when a read holds fewer, they are consumed and
// the reply stays pending until the rest arrives, so its tail can never pass
// for host data. Once complete, the result says whether it was granted (code
// 90; anything else is a refusal, to be treated as a lost connection) and
// carries the bytes that followed it.
SocksReplyCheck checkSocksReply(std::span<const uint8_t> bytes, bool socksEnabled,
                                bool replyPending, SocksReplyProgress& progress);

}  // namespace kestrel
