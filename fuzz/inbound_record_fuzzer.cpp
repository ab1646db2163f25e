// Arbitrary host records through the inbound-record entry. The first byte picks
// the model; the rest is split into records at every 0xFF 0xEF pair, so one run
// drives the engine through a sequence of records.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/vt.h"
#include "platform/silent_ui.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    kestrel::Settings settings;
    settings.alternate = data[0] & 1 ? 32 : 24;
    kestrel::DisplayImage image;
    kestrel::SilentUi ui;
    kestrel::vt engine(settings, image, ui);
    size_t start = 1;
    for (size_t i = 1; i <= size; ++i) {
        if (i == size || (data[i] == 0xFF && i + 1 < size && data[i + 1] == 0xEF)) {
            engine.processInboundRecord(data + start, i - start);
            if (engine.bufferAddress < 0 || engine.bufferAddress >= engine.cells() ||
                engine.cursorAddress < 0 || engine.cursorAddress >= engine.cells()) {
                __builtin_trap();
            }
            start = i + 2;
            ++i;
        }
    }
    for (int a = -1; a <= engine.cells(); a += 97) {
        engine.fieldStart(a);
        engine.fieldEndInRow(a);
        engine.firstNullInField(a);
        engine.markModified(a);
    }
    return 0;
}
