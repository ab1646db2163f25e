// Full-screen Erase/Write records of a model 3 screen through the inbound-record
// entry, rendering included: the work of one host screen update.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/vt.h"
#include "platform/silent_ui.h"

namespace kestrel {
namespace {

void appendAddress(std::vector<uint8_t>& record, int address) {
    const auto bytes = vt::encodeAddress(address);
    record.insert(record.end(), bytes.begin(), bytes.end());
}

// EWA with keyboard restore, 100 fields started by SFE with colour and
// highlighting, SA orders within them, mixed text, and a closing RA.
std::vector<uint8_t> model3Screen() {
    std::vector<uint8_t> record = {0x7E, 0xC3};
    const uint8_t text[] = {0xC8, 0xC5, 0xD3, 0xD3, 0xD6, 0x40, 0xE6, 0xD6, 0xD9,
                            0xD3, 0xC4, 0x40, 0xF1, 0xF2, 0xF3, 0x4B, 0x81, 0x82};
    for (int field = 0; field < 100; ++field) {
        record.push_back(0x11);
        appendAddress(record, field * 24);
        const uint8_t attribute = field % 3 == 0 ? 0x60 : (field % 3 == 1 ? 0x40 : 0xE8);
        record.insert(record.end(), {0x29, 0x03, 0xC0, attribute, 0x42, uint8_t(0xF1 + field % 7),
                                     0x41, field % 2 ? uint8_t(0xF4) : uint8_t(0x00)});
        if (field % 4 == 0) {
            record.insert(record.end(), {0x28, 0x42, 0xF2});
        }
        if (field % 5 == 0) {
            record.insert(record.end(), {0x28, 0x41, 0xF1});
        }
        record.insert(record.end(), std::begin(text), std::end(text));
        if (field % 4 == 0) {
            record.insert(record.end(), {0x28, 0x00, 0x00});
        }
        record.insert(record.end(), {0x40, 0x40, 0x40, 0x40});
    }
    record.push_back(0x11);
    appendAddress(record, 2400);
    record.insert(record.end(), {0x1D, 0x60, 0x3C});
    appendAddress(record, 2559);
    record.push_back(0x7E);
    record.push_back(0x13);
    return record;
}

void BM_FullScreenEraseWrite(benchmark::State& state) {
    Settings settings;
    DisplayImage image;
    SilentUi ui;
    vt engine(settings, image, ui);
    for (int e = 0; e < 256; ++e) {
        engine.codePage.setPair(uint8_t(e), uint8_t(0x20 + e % 0x5F));
    }
    const std::vector<uint8_t> record = model3Screen();
    for (auto _ : state) {
        engine.processInboundRecord(record.data(), record.size());
        benchmark::DoNotOptimize(image.cell(1, 1));
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["records/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FullScreenEraseWrite);

}  // namespace
}  // namespace kestrel
