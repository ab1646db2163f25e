// Arbitrary bytes from a SOCKS proxy and the SSL host behind it: a session set
// up for SOCKS and SSL sends its request, then takes the input in reads cut at
// every 0xFF 0xFE pair (the SOCKS reply, the server's records, anything).
#include <cstddef>
#include <cstdint>

#include "engine/vt.h"
#include "net/session.h"
#include "platform/clock.h"
#include "platform/silent_ui.h"

namespace {

class QuietTransport : public kestrel::Transport {
public:
    bool open(const std::string&, int) override { return true; }
    long write(const uint8_t*, size_t length) override { return long(length); }
    void close() override {}
    std::optional<std::array<uint8_t, 4>> lookupIPv4(const std::string&) override {
        return std::nullopt;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kestrel::Settings settings;
    settings.ssl = 1;
    settings.proxy_enable = 1;
    settings.host_name = "10.0.0.1";
    kestrel::DisplayImage image;
    kestrel::SilentUi ui;
    kestrel::vt engine(settings, image, ui);
    kestrel::LineModeDisplay lineMode;
    kestrel::SystemClock clock;
    kestrel::TrafficLog log(clock, engine.codePage, settings);
    QuietTransport transport;
    kestrel::Session session(settings, engine, lineMode, log, transport, ui);
    session.connect(settings.host_name, 23);
    session.onConnected();
    session.onTimer(kestrel::timer::ProxyLogin);
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i == size || (data[i] == 0xFF && i + 1 < size && data[i + 1] == 0xFE)) {
            session.onData(data + start, i - start);
            start = i + 2;
            ++i;
        }
    }
    return 0;
}
