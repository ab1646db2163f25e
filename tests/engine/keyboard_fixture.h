// An engine with a keyboard host that records what the keyboard does to the
// outside (line-mode bytes, macro script lines, print and selection calls),
// and helpers to build a screen from fields and to read cells back as text.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/keyboard.h"
#include "engine/read_reply.h"
#include "engine_fixture.h"
#include "reply_fixture.h"

namespace kestrel::test {

// Field attribute bytes as a host sends them.
constexpr uint8_t kInput = 0x40;
constexpr uint8_t kNumericInput = 0x50;
constexpr uint8_t kHiddenInput = 0x4C;
constexpr uint8_t kProtectedText = 0x60;
constexpr uint8_t kAutoskip = 0xF0;

// One field of a test screen: its attribute at ADDRESS, then TEXT.
struct ScreenField {
    int address;
    uint8_t attribute;
    std::string text = "";
};

class RecordingKeyboardHost : public KeyboardHost {
  public:
    bool recordMode() const override { return inRecordMode; }
    void sendRaw(const uint8_t* data, size_t length) override {
        sent.emplace_back(data, data + length);
    }
    // Script lines as the macro recorder would write them.
    void recordKeyEvent(int code, bool ctrl, bool shift, int flags) override {
        char line[64];
        std::snprintf(line, sizeof line, "%x %x %x %x 1", code, int(ctrl), int(shift), flags);
        script.push_back(line);
    }
    void recordCharacterEvent(int code) override {
        char line[64];
        std::snprintf(line, sizeof line, "%x 0 0 0 0", code);
        script.push_back(line);
    }
    void printScreen() override { calls.push_back("print"); }
    void extendSelection(int from, int to) override {
        calls.push_back("select " + std::to_string(from) + "-" + std::to_string(to));
    }
    bool autoSkipSuppressed() const override { return pasting; }

    bool inRecordMode = true;
    bool pasting = false;
    std::vector<Bytes> sent;
    std::vector<std::string> script;
    std::vector<std::string> calls;
};

class KeyboardTest : public EngineTest {
  protected:
    KeyboardTest() {
        const auto letters = [this](char first, uint8_t code, int count) {
            for (int i = 0; i < count; ++i) {
                engine.codePage.setPair(uint8_t(code + i), uint8_t(first + i));
            }
        };
        letters('A', 0xC1, 9);
        letters('J', 0xD1, 9);
        letters('S', 0xE2, 8);
        letters('0', 0xF0, 10);
        for (const auto& [ebcdic, ascii] : {std::pair{0x4E, '+'},
                                            {0x60, '-'},
                                            {0x5C, '*'},
                                            {0x61, '/'},
                                            {0x4B, '.'},
                                            {0x6B, ','},
                                            {0x40, ' '}}) {
            engine.codePage.setPair(uint8_t(ebcdic), uint8_t(ascii));
        }
    }

    // An Erase/Write that restores the keyboard, with FIELDS and the cursor at
    // CURSOR.
    Bytes screen(const std::vector<ScreenField>& fields, int cursor) const {
        Bytes record = {0xF5, 0x02};
        for (const ScreenField& field : fields) {
            const auto address = vt::encodeAddress(field.address);
            record.insert(record.end(), {0x11, address[0], address[1], 0x1D, field.attribute});
            for (const char ch : field.text) {
                record.push_back(engine.codePage.toEbcdic(uint8_t(ch)));
            }
        }
        const auto address = vt::encodeAddress(cursor);
        record.insert(record.end(), {0x11, address[0], address[1], 0x13});
        return record;
    }
    void show(const std::vector<ScreenField>& fields, int cursor) { feed(screen(fields, cursor)); }

    // COUNT cells from FROM: '|' an attribute, '_' a null, else the character.
    std::string text(int from, int count) const {
        std::string shown;
        for (int a = from; a < from + count; ++a) {
            const uint32_t c = engine.cell(a);
            shown += cell::isAttribute(c)             ? '|'
                     : (c & cell::CharacterMask) == 0 ? '_'
                                                      : char(engine.codePage.toAscii(uint8_t(c)));
        }
        return shown;
    }

    bool modified(int attributeAddress) const {
        return (engine.cell(attributeAddress) & cell::Modified) != 0;
    }

    void type(const std::string& characters) {
        for (const char ch : characters) {
            characterEvent(engine, host, uint8_t(ch));
        }
    }
    int key(int code, bool shift = false, int flags = 0) {
        return keyEvent(engine, host, code, false, shift, flags);
    }
    int run(int function) { return runLocalFunction(engine, host, function); }

    RecordingKeyboardHost host;
};

}  // namespace kestrel::test
