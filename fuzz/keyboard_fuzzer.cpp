// Keystrokes on an arbitrary screen. The first byte picks the model and the
// settings, the second gives the length of a host record that builds the
// screen; the rest is a sequence of key events, typed characters, host
// functions, keyboard restores and type-ahead replays. After every step the
// cursor must be on the screen, the pending record no longer than a full
// reply, and the type-ahead queue within its ring.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/engine_extensions.h"
#include "engine/keyboard.h"
#include "engine/read_reply.h"
#include "engine/vt.h"
#include "mapping/key_names.h"
#include "platform/silent_ui.h"

namespace {

using namespace kestrel;

class FuzzHost : public KeyboardHost {
  public:
    bool recordMode() const override { return inRecordMode; }
    void sendRaw(const uint8_t*, size_t length) override {
        if (length == 0 || length > 255) {
            __builtin_trap();
        }
    }
    bool autoSkipSuppressed() const override { return pasting; }
    bool inRecordMode = true;
    bool pasting = false;
};

// Key codes worth pressing: the bindable keys, Tab, Insert and the cursor keys.
constexpr int kKeyCodes[] = {
    key_code::kTab,
    key_code::kEnter,
    key_code::kEscape,
    key_code::kInsert,
    key_code::kBackspace,
    key_code::kKeypadPlus,
    key_code::kKeypadMinus,
    key_code::kKeypadDivide,
    key_code::kKeypadMultiply,
    key_code::kLeft,
    key_code::kRight,
    key_code::kUp,
    key_code::kDown,
    key_code::kCtrlC,
    key_code::kCtrlP,
    0x70,
    0x7B,
    0x24,
    0x23,
    0x21,
    0x22,
    0x2E,
    0x13,
    0x2C,
};

void check(vt& engine) {
    if (engine.cursorAddress < 0 || engine.cursorAddress >= engine.cells() ||
        engine.pendingRecord.bytes.size() > maxReplySize(engine.cells()) ||
        engine.keyboard.typeAhead.size() > TypeAheadQueue::kCapacity) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    Settings settings;
    settings.alternate = data[0] & 1 ? 32 : 24;
    settings.typeahead = (data[0] >> 1) & 1;
    settings.nocheck = (data[0] >> 2) & 1;
    settings.shift_arrow = (data[0] >> 3) & 1;
    settings.use_cv = (data[0] >> 4) & 1;
    settings.autologin = 1;
    settings.user = "USER";
    settings.password = "PW";
    DisplayImage image;
    SilentUi ui;
    vt engine(settings, image, ui);
    FuzzHost host;
    host.pasting = (data[0] >> 5) & 1;
    EngineExtensions extensions([&host](vt& e) { replayTypeAhead(e, host); });
    engine.setExtensions(&extensions);

    // Every function, bound to one PcKey each, so the key events reach them all.
    for (int i = 0; i < kPcKeyCount; ++i) {
        engine.keyBindings.bind(i, kHostFunctions[i % kHostFunctionCount].code);
    }

    const size_t screenLength = data[1] < size - 2 ? data[1] : size - 2;
    engine.processInboundRecord(data + 2, screenLength);
    check(engine);

    const uint8_t* p = data + 2 + screenLength;
    const uint8_t* const end = data + size;
    while (p + 2 <= end) {
        const uint8_t op = p[0];
        const uint8_t arg = p[1];
        p += 2;
        switch (op % 12) {
            case 0:
            case 1:
            case 2:
                characterEvent(engine, host, arg);
                break;
            case 3:
            case 4:
                keyEvent(engine, host, kKeyCodes[arg % std::size(kKeyCodes)], (op >> 4) & 1,
                         (op >> 5) & 1, (op >> 6) & 1 ? key_code::kExtendedKey : 0);
                break;
            case 5:
                pressHostFunction(engine, host, kHostFunctions[arg % kHostFunctionCount].code);
                break;
            case 6:
                runLocalFunction(engine, host, arg % 24);
                break;
            case 7: {
                // The caller takes what was produced, which locks the keyboard.
                takeAttnPending(engine);
                takeSysreqPending(engine);
                takePendingRecord(engine);
                break;
            }
            case 8: {
                const uint8_t restore[] = {0xF1, 0x02};
                engine.processInboundRecord(restore, sizeof restore);
                break;
            }
            case 9:
                engine.setCursor(arg % 81 + 1, arg / 8 + 1);
                engine.insertMode = arg & 1;
                break;
            case 10:
                host.inRecordMode = !host.inRecordMode;
                break;
            case 11:
                if (autoLogin(engine, host, 26 + arg, arg & 1)) {
                    takePendingRecord(engine);
                }
                if (arg & 2) {
                    resetAutoLogin(engine);
                }
                break;
        }
        check(engine);
    }
    return 0;
}
