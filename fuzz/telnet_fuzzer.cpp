// Arbitrary host bytes through the telnet layer and record assembly, the way a
// clear connection receives them. The first byte picks the trace, the screen
// size and the segment length; complete records go on to the engine, and
// line-mode text and trace lines to the line-mode display.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "engine/vt.h"
#include "net/line_mode_display.h"
#include "net/netop.h"
#include "net/record_buffer.h"
#include "platform/silent_ui.h"

namespace {

struct Receiver : kestrel::TelnetPeer {
    void sendUnframed(const uint8_t*, size_t) override {}
    void traceLine(std::string_view text) override { display.write(text, engine); }
    void recordModeOn() override { recordMode = true; }

    kestrel::Settings settings;
    kestrel::DisplayImage image;
    kestrel::SilentUi ui;
    kestrel::vt engine{settings, image, ui};
    kestrel::LineModeDisplay display;
    kestrel::netop telnet{settings, *this};
    kestrel::RecordBuffer buffer;
    bool recordMode = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    auto r = std::make_unique<Receiver>();
    r->settings.show_negotiation = data[0] & 1;
    r->settings.alternate = data[0] & 2 ? 32 : 24;
    const size_t segment = (data[0] >> 2) + 1;
    for (size_t i = 1; i < size; ++i) {
        switch (r->telnet.processByte(data[i])) {
            case kestrel::TelnetResult::Data:
                r->buffer.append(data[i]);
                break;
            case kestrel::TelnetResult::EndOfRecord:
                r->engine.processInboundRecord(r->buffer.data(), r->buffer.size());
                r->buffer.clear();
                break;
            case kestrel::TelnetResult::Consumed:
                break;
        }
        if ((i % segment == 0 || i + 1 == size) && !r->recordMode && !r->buffer.empty()) {
            r->display.write(r->buffer.data(), r->buffer.size(), r->engine);
            r->buffer.clear();
        }
        if (r->engine.cursorAddress < 0 || r->engine.cursorAddress >= r->engine.cells() ||
            r->display.column() < 1 || r->display.column() > 80 || r->display.row() < 1 ||
            r->display.row() >= kestrel::DisplayImage::kRows) {
            __builtin_trap();
        }
    }
    r->telnet.sendKeepAlive();
    return 0;
}
