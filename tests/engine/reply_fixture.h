// An engine with the read replies and structured fields installed, and the
// helpers their tests share: hex literals and taking the pending record.
#pragma once

#include <cctype>
#include <string_view>
#include <vector>

#include "engine/engine_extensions.h"
#include "engine/read_reply.h"
#include "engine_fixture.h"

namespace kestrel::test {

using Bytes = std::vector<uint8_t>;

// "7D 40 40" → {0x7D, 0x40, 0x40}; spaces are ignored.
inline Bytes hex(std::string_view text) {
    Bytes bytes;
    int high = -1;
    for (const char ch : text) {
        if (std::isspace(static_cast<unsigned char>(ch))) {
            continue;
        }
        const int digit = std::isdigit(static_cast<unsigned char>(ch))
                              ? ch - '0'
                              : std::toupper(static_cast<unsigned char>(ch)) - 'A' + 10;
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(uint8_t(high << 4 | digit));
            high = -1;
        }
    }
    return bytes;
}

class ReplyTest : public EngineTest {
  protected:
    ReplyTest() { engine.setExtensions(&extensions); }

    // The pending record; fails the test when there is none.
    Bytes take() {
        auto record = takePendingRecord(engine);
        EXPECT_TRUE(record.has_value()) << "no record pending";
        return record.value_or(Bytes{});
    }

    EngineExtensions extensions;
};

}  // namespace kestrel::test
