// An engine with its display image and a recording user interface, and a few
// code-page pairs so that rendered text can be read.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "engine/cell.h"
#include "engine/vt.h"
#include "support/recording_ui.h"

namespace kestrel::test {

class EngineTest : public ::testing::Test {
  protected:
    EngineTest() {
        const char letters[] = "ABCDEFGHI";
        for (int i = 0; i < 9; ++i) {
            engine.codePage.setPair(uint8_t(0xC1 + i), uint8_t(letters[i]));
        }
        engine.codePage.setPair(0x40, ' ');
        engine.codePage.setPair(0x5C, '*');
        engine.codePage.setPair(0x60, '-');
        engine.codePage.setPair(0x00, ' ');
    }

    int feed(std::initializer_list<uint8_t> bytes) {
        const std::vector<uint8_t> record(bytes);
        return engine.processInboundRecord(record.data(), record.size());
    }
    int feed(const std::vector<uint8_t>& record) {
        return engine.processInboundRecord(record.data(), record.size());
    }

    uint32_t at(int address) const { return engine.presentationSpace[address]; }

    // The recorded calls other than repaints.
    std::vector<std::string> nonRepaintCalls() const {
        std::vector<std::string> calls;
        for (const std::string& call : ui.calls) {
            if (call.rfind("repaint", 0) != 0) {
                calls.push_back(call);
            }
        }
        return calls;
    }

    Settings settings;
    DisplayImage image;
    test_support::RecordingUi ui;
    vt engine{settings, image, ui};
};

}  // namespace kestrel::test
