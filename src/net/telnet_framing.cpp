// Outbound framing of 3270 records.
#include "net/telnet_framing.h"

#include "net/netop.h"

namespace kestrel {

std::vector<uint8_t> frame(const uint8_t* data, size_t length, bool framing) {
    std::vector<uint8_t> framed;
    if (!framing) {
        framed.assign(data, data + length);
        return framed;
    }
    framed.reserve(length + 2);
    for (size_t i = 0; i < length; ++i) {
        framed.push_back(data[i]);
        if (data[i] == telnet::IAC) {
            framed.push_back(telnet::IAC);
        }
    }
    framed.push_back(telnet::IAC);
    framed.push_back(telnet::EOR);
    return framed;
}

}  // namespace kestrel
