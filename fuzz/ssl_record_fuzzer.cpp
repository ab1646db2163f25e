// Received SSL records through the client, the way the session hands them
// over, and through the record layer with both sides protected. The first
// byte picks the way: bit 0 protected, bit 1 SHA-1 MACs, bit 2 a client
// that has sent its ClientHello. The rest is cut into records by their
// header lengths.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "config/settings.h"
#include "mapping/code_page_table.h"
#include "net/traffic_log.h"
#include "platform/clock.h"
#include "platform/silent_ui.h"
#include "ssl/ssl_client.h"
#include "ssl/ssl_handshake.h"
#include "ssl/ssl_record.h"

namespace {

struct Peer : kestrel::SslPeer, kestrel::RecordSink {
    void sendRecord(const uint8_t*, size_t length) override { sent += length; }
    void plaintextReceived(const uint8_t*, size_t length) override { received += length; }
    void endSession() override { ++ends; }
    void writeRecord(const uint8_t*, size_t length) override { sent += length; }
    size_t sent = 0;
    size_t received = 0;
    int ends = 0;
};

struct FixedClock : kestrel::Clock {
    std::time_t now() const override { return 0; }
};

// Calls RECORD for each record of DATA: 5 header bytes and as many body bytes
// as the header says, or what is left.
template <typename F>
void eachRecord(const uint8_t* data, size_t size, F record) {
    size_t offset = 0;
    while (size - offset >= 5) {
        const size_t length = static_cast<size_t>(data[offset + 3]) << 8 | data[offset + 4];
        const size_t total = std::min(5 + length, size - offset);
        std::vector<uint8_t> copy(data + offset, data + offset + total);
        record(copy);
        offset += total;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const uint8_t mode = data[0];
    FixedClock clock;
    kestrel::CodePageTable codePage;
    kestrel::Settings settings;
    kestrel::TrafficLog log(clock, codePage, settings);
    kestrel::SilentUi ui;
    Peer peer;

    if (mode & 1) {
        kestrel::SslRecordLayer records(log, peer);
        kestrel::SslHandshake handshake(records, log);
        handshake.start();
        records.setMacAlgorithm(mode & 2 ? kestrel::MacAlgorithm::Sha1
                                         : kestrel::MacAlgorithm::Md5);
        const uint8_t key[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
        records.client().cipher.setKey(key, sizeof key);
        records.server().cipher.setKey(key, sizeof key);
        records.client().active = true;
        records.server().active = true;
        eachRecord(data + 1, size - 1, [&](std::vector<uint8_t>& record) {
            if (records.receive(record.data(), record.size()) == kestrel::RecordStatus::Handshake) {
                handshake.receive(records.plaintext(), records.plaintextLength());
            }
        });
        return 0;
    }

    kestrel::SslClient client(settings, log, ui, peer);
    if (mode & 4) {
        client.startHandshake();
    }
    eachRecord(data + 1, size - 1, [&](std::vector<uint8_t>& record) {
        client.receiveRecord(record.data(), record.size());
    });
    const uint8_t reply[3] = {0xFF, 0xF1, 0x00};
    client.send(reply, sizeof reply);
    // Without the keys no input can complete the handshake, so no plaintext
    // may ever reach the telnet layer.
    if (peer.received > 0 || client.established()) {
        __builtin_trap();
    }
    return 0;
}
