// The proxy login: SOCKS 4 CONNECT request and reply, and the scripted login
// line for proxies driven by text.
#include "net/proxy_login.h"

#include <algorithm>

#include "net/octal_escapes.h"

namespace kestrel {
namespace {

constexpr uint8_t kSocksVersion = 4;
constexpr uint8_t kSocksConnect = 1;

// The test the login uses on a first character: as a signed 8-bit value.
int signedByte(uint8_t byte) {
    return static_cast<int8_t>(byte);
}

bool isUnusableAddress(const Ipv4Address& address) {
    return address == Ipv4Address{0, 0, 0, 0} || address == Ipv4Address{255, 255, 255, 255};
}

}  // namespace

std::optional<Ipv4Address> parseDottedIpv4(std::string_view text) {
    Ipv4Address address{};
    std::size_t pos = 0;
    for (std::size_t part = 0; part < address.size(); ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.') {
                return std::nullopt;
            }
            ++pos;
        }
        const std::size_t start = pos;
        unsigned value = 0;
        while (pos < text.size() && pos - start < 3 && text[pos] >= '0' && text[pos] <= '9') {
            value = value * 10 + static_cast<unsigned>(text[pos] - '0');
            ++pos;
        }
        const std::size_t digits = pos - start;
        if (digits == 0 || value > 255 || (digits > 1 && text[start] == '0')) {
            return std::nullopt;
        }
        address[part] = static_cast<uint8_t>(value);
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    return address;
}

std::optional<Ipv4Address> socksDestinationAddress(const std::string& hostName,
                                                   const HostResolver& resolve) {
    // An empty name is tested by its terminating zero, which is at most '9'.
    const int first = hostName.empty() ? 0 : signedByte(static_cast<uint8_t>(hostName[0]));
    std::optional<Ipv4Address> address;
    if (first <= '9') {
        address = parseDottedIpv4(hostName);
    } else if (resolve) {
        address = resolve(hostName);
    }
    if (!address || isUnusableAddress(*address)) {
        return std::nullopt;
    }
    return address;
}

std::vector<uint8_t> socksConnectRequest(int port, const Ipv4Address& address,
                                         std::string_view userId) {
    std::vector<uint8_t> request;
    request.reserve(9 + userId.size());
    request.push_back(kSocksVersion);
    request.push_back(kSocksConnect);
    request.push_back(static_cast<uint8_t>((port >> 8) & 0xFF));
    request.push_back(static_cast<uint8_t>(port & 0xFF));
    request.insert(request.end(), address.begin(), address.end());
    request.insert(request.end(), userId.begin(), userId.end());
    request.push_back(0);
    return request;
}

std::vector<uint8_t> scriptedLoginText(std::string_view proxySyntax, std::string_view hostName,
                                       int port) {
    const std::vector<uint8_t> decoded = decodeOctalEscapes(proxySyntax);
    const std::string portText = std::to_string(port);
    std::vector<uint8_t> text;
    text.reserve(decoded.size() + hostName.size() + portText.size());
    bool hostDone = false;
    bool portDone = false;
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        if (decoded[i] == '$' && i + 1 < decoded.size()) {
            const uint8_t which = decoded[i + 1];
            if (which == '1' && !hostDone) {
                text.insert(text.end(), hostName.begin(), hostName.end());
                hostDone = true;
                ++i;
                continue;
            }
            if (which == '2' && !portDone) {
                text.insert(text.end(), portText.begin(), portText.end());
                portDone = true;
                ++i;
                continue;
            }
        }
        text.push_back(decoded[i]);
    }
    return text;
}

std::vector<std::vector<uint8_t>> splitScriptedLogin(std::span<const uint8_t> text) {
    std::vector<std::vector<uint8_t>> sends;
    if (text.empty()) {
        return sends;
    }
    // A leading control byte (a CR to wake the proxy, say) goes by itself.
    if (signedByte(text[0]) < 32) {
        sends.emplace_back(text.begin(), text.begin() + 1);
        text = text.subspan(1);
        if (text.empty()) {
            return sends;
        }
    }
    sends.emplace_back(text.begin(), text.end());
    return sends;
}

SocksReplyCheck checkSocksReply(std::span<const uint8_t> bytes, bool socksEnabled,
                                bool replyPending, SocksReplyProgress& progress) {
    SocksReplyCheck check;
    if (!socksEnabled || !replyPending || bytes.empty()) {
        return check;
    }
    // A reply begins with its version byte 0; anything else is not the reply,
    // which is still awaited.
    if (progress.seen == 0 && bytes[0] != 0) {
        return check;
    }
    check.consumed = true;
    const std::size_t take = std::min(kSocksReplyLength - progress.seen, bytes.size());
    if (progress.seen <= 1 && progress.seen + take > 1) {
        progress.code = bytes[1 - progress.seen];
    }
    progress.seen += take;
    if (progress.seen < kSocksReplyLength) {
        return check;
    }
    check.complete = true;
    check.granted = progress.code == kSocksGranted;
    check.hostData.assign(bytes.begin() + static_cast<std::ptrdiff_t>(take), bytes.end());
    progress = SocksReplyProgress{};
    return check;
}

}  // namespace kestrel
