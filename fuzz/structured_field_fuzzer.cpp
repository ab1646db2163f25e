// Host records and attention keys through the engine with its read replies and
// structured fields installed. The first byte picks the model (bit 0) and the
// reply modes (bits 1 and 2); the rest is split at every 0xFF 0xEF pair. A
// piece of two bytes starting 0xFF is a key: the second byte is its AID. Every
// reply is taken at once, as the terminal does, and must fit the bound that
// replies are sized for.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "engine/engine_extensions.h"
#include "engine/read_reply.h"
#include "engine/vt.h"
#include "platform/silent_ui.h"

namespace {

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    kestrel::Settings settings;
    settings.alternate = data[0] & 1 ? 32 : 24;
    kestrel::DisplayImage image;
    kestrel::SilentUi ui;
    kestrel::vt engine(settings, image, ui);
    kestrel::EngineExtensions extensions;
    engine.setExtensions(&extensions);
    engine.replyHighlight = (data[0] >> 1) & 1;
    engine.replyColour = (data[0] >> 2) & 1;

    size_t start = 1;
    for (size_t i = 1; i <= size; ++i) {
        if (i < size && !(data[i] == 0xFF && i + 1 < size && data[i + 1] == 0xEF)) {
            continue;
        }
        const uint8_t* piece = data + start;
        const size_t length = i - start;
        const int cellsBefore = engine.cells();
        if (length == 2 && piece[0] == 0xFF) {
            check(kestrel::sendAid(engine, piece[1]) == 1);
            check(engine.pendingRecord.pending);
        } else {
            const int pending = engine.processInboundRecord(piece, length);
            check(pending == (engine.pendingRecord.pending ? 1 : 0));
        }
        // A read inside a record may come before a size change in the same record.
        const int cells = std::max(cellsBefore, engine.cells());
        if (auto record = kestrel::takePendingRecord(engine)) {
            check(!record->empty() && record->size() <= kestrel::maxReplySize(cells));
            check(engine.keyboardUnlocked == 0);
        }
        check(engine.bufferAddress >= 0 && engine.bufferAddress < engine.cells());
        check(engine.cursorAddress >= 0 && engine.cursorAddress < engine.cells());
        check(engine.rows() == 24 || engine.rows() == settings.alternate);
        start = i + 2;
        ++i;
    }
    return 0;
}
