// Test doubles for the telnet layer: a TelnetPeer that records every call in
// order, and the receive path of a clear connection built around it (netop,
// record buffer, line-mode display and engine), as the session wires them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "engine/display_image.h"
#include "engine/vt.h"
#include "net/line_mode_display.h"
#include "net/netop.h"
#include "net/record_buffer.h"
#include "support/recording_ui.h"

namespace kestrel::test {

using Bytes = std::vector<uint8_t>;

// "ff fd 18"
inline std::string hex(const uint8_t* data, size_t length) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        if (i > 0) {
            text.push_back(' ');
        }
        text.push_back(kDigits[data[i] >> 4]);
        text.push_back(kDigits[data[i] & 0x0F]);
    }
    return text;
}
inline std::string hex(const Bytes& bytes) {
    return hex(bytes.data(), bytes.size());
}

// Joins byte lists and texts into one stream: cat(Bytes{IAC, SB, 24, 0}, "IBM", Bytes{IAC, SE}).
inline void append(Bytes& out, std::initializer_list<uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}
inline void append(Bytes& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}
inline void append(Bytes& out, const Bytes& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}
template <typename... Parts>
Bytes cat(const Parts&... parts) {
    Bytes out;
    (append(out, parts), ...);
    return out;
}

// Every call as one line: "send ff fb 18", "trace HOST: ...\n\r", "record mode".
class RecordingPeer : public TelnetPeer {
  public:
    void sendUnframed(const uint8_t* data, size_t length) override {
        calls.push_back("send " + hex(data, length));
    }
    void traceLine(std::string_view text) override {
        calls.push_back("trace " + std::string(text));
    }
    void recordModeOn() override {
        calls.push_back("record mode");
        recordMode = true;
    }

    // The calls other than trace lines.
    std::vector<std::string> untraced() const {
        std::vector<std::string> out;
        for (const std::string& call : calls) {
            if (call.rfind("trace ", 0) != 0) {
                out.push_back(call);
            }
        }
        return out;
    }

    std::vector<std::string> calls;
    bool recordMode = false;
};

// The receive path of a clear connection. Every byte goes through netop; data
// collects in the record buffer; IAC EOR hands the record on; at the end of a
// segment in line mode the text is drawn. Trace lines are drawn as they come.
//
// Text still in the buffer when the host turns record mode on is line-mode
// text that arrived in the same segment as the negotiation: it is drawn then,
// so that it never becomes the head of the first 3270 record.
class ClearConnection : public RecordingPeer {
  public:
    explicit ClearConnection(bool trace, int alternate = 32) {
        settings.show_negotiation = trace ? 1 : 0;
        settings.alternate = alternate;
    }

    void receive(const Bytes& segment) { receive(segment.data(), segment.size()); }
    void receive(const uint8_t* data, size_t length) {
        for (size_t i = 0; i < length; ++i) {
            switch (telnet.processByte(data[i])) {
                case TelnetResult::Data:
                    buffer.append(data[i]);
                    break;
                case TelnetResult::EndOfRecord:
                    records.emplace_back(buffer.data(), buffer.data() + buffer.size());
                    buffer.clear();
                    break;
                case TelnetResult::Consumed:
                    break;
            }
        }
        if (!recordMode) {
            flushLineModeText();
        }
    }

    void traceLine(std::string_view text) override {
        RecordingPeer::traceLine(text);
        display.write(text, engine);
    }
    void recordModeOn() override {
        if (!recordMode) {
            flushLineModeText();
        }
        RecordingPeer::recordModeOn();
    }

    std::vector<std::string> screen() const {
        std::vector<std::string> rows;
        for (int row = 1; row <= image.visibleRows(); ++row) {
            rows.push_back(image.rowText(row));
        }
        return rows;
    }

    Settings settings;
    DisplayImage image;
    test_support::RecordingUi ui;
    vt engine{settings, image, ui};
    LineModeDisplay display;
    netop telnet{settings, *this};
    RecordBuffer buffer;
    std::vector<Bytes> records;

  private:
    void flushLineModeText() {
        if (!buffer.empty()) {
            display.write(buffer.data(), buffer.size(), engine);
            buffer.clear();
        }
    }
};

}  // namespace kestrel::test
