// Outbound framing: IAC doubling and IAC EOR in record mode, nothing without.
#include "net/telnet_framing.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrel {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(TelnetFramingTest, DoublesIacAndAppendsEorOnlyWhenFraming) {
    struct Case {
        const char* name;
        Bytes data;
        Bytes framed;
    };
    const std::vector<Case> cases = {
        {"empty record", {}, {0xFF, 0xEF}},
        {"no IAC", {0x7D, 0x40, 0x40}, {0x7D, 0x40, 0x40, 0xFF, 0xEF}},
        {"IAC first, last and twice in a row",
         {0xFF, 0x11, 0xFF, 0xFF, 0xEF, 0xFF},
         {0xFF, 0xFF, 0x11, 0xFF, 0xFF, 0xFF, 0xFF, 0xEF, 0xFF, 0xFF, 0xFF, 0xEF}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(frame(c.data.data(), c.data.size(), true), c.framed) << c.name;
        EXPECT_EQ(frame(c.data.data(), c.data.size(), false), c.data) << c.name;
    }
}

}  // namespace
}  // namespace kestrel
