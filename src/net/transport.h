// The TCP connection to the host (or the proxy), as the session sees it.
//
// The desktop build and kestrel-script implement it with a QTcpSocket on the
// Qt event loop; tests with a recording double. Everything the connection
// reports goes back into the session's notification entries.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kestrel {

class Transport {
public:
    virtual ~Transport() = default;

    // Starts a connection to HOST (a dotted IPv4 address, or a name to look
    // up) and PORT. False when no socket could be made; otherwise the outcome
    // arrives later as connected or connect-failed.
    virtual bool open(const std::string& host, int port) = 0;
    // Offers bytes to the connection; the number it accepted, or -1 on error.
    virtual long write(const uint8_t* data, size_t length) = 0;
    // Closes the connection without a close notification.
    virtual void close() = 0;
    // The first IPv4 address of NAME, network order; nothing when it has none.
    virtual std::optional<std::array<uint8_t, 4>> lookupIPv4(const std::string& name) = 0;
};

}  // namespace kestrel
