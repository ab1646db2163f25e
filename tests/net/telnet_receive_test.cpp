// The telnet receive path end to end: a typical TN3270 start with its exact
// replies and trace, the same streams cut into segments at every offset,
// line-mode text before record mode, and records longer than the buffer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/telnet_harness.h"

namespace kestrel::test {
namespace {

using namespace telnet;

const Bytes kTn3270Start =
    cat(Bytes{IAC, DO, 24}, Bytes{IAC, SB, 24, 1, IAC, SE}, Bytes{IAC, DO, 25},
        Bytes{IAC, WILL, 25}, Bytes{IAC, DO, 0}, Bytes{IAC, WILL, 0},
        // Erase/Write with a doubled 255 in its data, then an empty record.
        Bytes{0xF5, 0xC3, 0x11, 0x40, 0x40, 0x1D, 0x60, 0xC1, IAC, IAC, 0xC2, IAC, EOR},
        Bytes{IAC, EOR});

const std::vector<std::string> kTn3270StartCalls = {
    "trace HOST: IAC DO TN_TERMTYPE \n\r",
    "send ff fb 18",
    "trace CLIENT: IAC  WILL TN_TERMTYPE\n\r",
    "trace HOST: IAC SB TN_TERMTYPE 01 SE\n\r",
    "send ff fa 18 00 49 42 4d 2d 33 32 37 38 2d 32 2d 45 ff f0",
    "trace CLIENT: IAC SB TERMTYPE IS IBM-3278-2-E  IAC SE\n\r",
    "trace HOST: IAC DO EOR \n\r",
    "record mode",
    "send ff fb 19",
    "trace CLIENT: IAC  WILL EOR\n\r",
    "trace HOST: IAC WILL EOR \n\r",
    "record mode",
    "send ff fd 19",
    "trace CLIENT: IAC  DO EOR\n\r",
    "trace HOST: IAC DO TN_TRANSBIT_BINARY \n\r",
    "send ff fb 00",
    "trace CLIENT: IAC  WILL TN_TRANSBIT_BINARY\n\r",
    "trace HOST: IAC WILL TN_TRANSBIT_BINARY \n\r",
    "send ff fd 00",
    "trace CLIENT: IAC  DO TN_TRANSBIT_BINARY\n\r",
};

const std::vector<Bytes> kTn3270StartRecords = {
    {0xF5, 0xC3, 0x11, 0x40, 0x40, 0x1D, 0x60, 0xC1, 0xFF, 0xC2},
    {},
};

// A host that greets in line mode and then switches to 3270, the greeting and
// the first negotiation arriving together.
const Bytes kGreetingThenTn3270 = cat("TN3270 test host\r\n", Bytes{IAC, DO, 24}, "Ready\r\n\tX",
                                      Bytes{IAC, SB, 24, 1, IAC, SE, IAC, DO, 25, IAC, WILL, 25},
                                      Bytes{0xF1, 0xC3, 0x40, IAC, EOR});

std::string padded(const std::string& text) {
    return text + std::string(80 - text.size(), ' ');
}

TEST(TelnetReceiveTest, TypicalTn3270Start) {
    ClearConnection connection(true, 24);
    connection.receive(kTn3270Start);
    EXPECT_EQ(connection.calls, kTn3270StartCalls);
    EXPECT_EQ(connection.records, kTn3270StartRecords);
    EXPECT_TRUE(connection.recordMode);

    // Each trace line on its own row; the cursor below the last one.
    const std::vector<std::string> screen = connection.screen();
    const std::vector<std::string> expected = {
        "HOST: IAC DO TN_TERMTYPE ",
        "CLIENT: IAC  WILL TN_TERMTYPE",
        "HOST: IAC SB TN_TERMTYPE 01 SE",
        "CLIENT: IAC SB TERMTYPE IS IBM-3278-2-E  IAC SE",
        "HOST: IAC DO EOR ",
        "CLIENT: IAC  WILL EOR",
        "HOST: IAC WILL EOR ",
        "CLIENT: IAC  DO EOR",
        "HOST: IAC DO TN_TRANSBIT_BINARY ",
        "CLIENT: IAC  WILL TN_TRANSBIT_BINARY",
        "HOST: IAC WILL TN_TRANSBIT_BINARY ",
        "CLIENT: IAC  DO TN_TRANSBIT_BINARY",
        "",
    };
    for (size_t row = 0; row < expected.size(); ++row) {
        EXPECT_EQ(screen[row], padded(expected[row])) << "row " << row + 1;
    }
    EXPECT_EQ(connection.engine.cursorAddress, 12 * 80);
}

TEST(TelnetReceiveTest, LineModeTextEndingInCrLfLeavesTheCursorAtTheNextRow) {
    ClearConnection connection(false);
    connection.receive(cat("Hello", Bytes{IAC, IAC}));
    connection.receive(Bytes{'\r', '\n'});
    EXPECT_EQ(connection.screen()[0], padded("Hello\xFF"));
    EXPECT_EQ(connection.display.row(), 2);
    EXPECT_EQ(connection.display.column(), 1);
    EXPECT_EQ(connection.engine.cursorAddress, 80);
    EXPECT_TRUE(connection.records.empty());
    EXPECT_TRUE(connection.buffer.empty());
}

TEST(TelnetReceiveTest, GreetingBeforeRecordModeIsShownNotPrefixedToTheFirstRecord) {
    ClearConnection connection(false);
    connection.receive(kGreetingThenTn3270);
    EXPECT_EQ(connection.records, (std::vector<Bytes>{{0xF1, 0xC3, 0x40}}));
    const std::vector<std::string> screen = connection.screen();
    EXPECT_EQ(screen[0], padded("TN3270 test host"));
    EXPECT_EQ(screen[1], padded("Ready"));
    EXPECT_EQ(screen[2], padded("        X"));
}

// However the stream is cut, the replies, trace lines, records and record
// mode come out the same: netop keeps its state between segments. With the
// trace off the screen is the same too (trace lines are drawn at once, text
// only at the end of its segment, so with the trace on their order may vary).
TEST(TelnetReceiveTest, EverySplitGivesTheSameResult) {
    struct Case {
        const char* name;
        Bytes stream;
    };
    const std::vector<Case> cases = {
        {"TN3270 start", kTn3270Start},
        {"greeting then TN3270", kGreetingThenTn3270},
        {"DM, ECHO and a long subnegotiation",
         cat(Bytes{IAC, DM, 'a', IAC, WILL, 1, IAC, DO, 1, IAC, SB, 42}, std::string(90, 'z'),
             Bytes{IAC, SE, IAC, WILL, 25, 'r', IAC, IAC, IAC, EOR, IAC, EOR})},
    };
    for (const Case& c : cases) {
        for (bool trace : {false, true}) {
            ClearConnection whole(trace);
            whole.receive(c.stream);

            auto expectSame = [&](const ClearConnection& split, const std::string& how) {
                EXPECT_EQ(split.calls, whole.calls) << c.name << how;
                EXPECT_EQ(split.records, whole.records) << c.name << how;
                EXPECT_EQ(split.recordMode, whole.recordMode) << c.name << how;
                if (!trace) {
                    EXPECT_EQ(split.screen(), whole.screen()) << c.name << how;
                    EXPECT_EQ(split.engine.cursorAddress, whole.engine.cursorAddress)
                        << c.name << how;
                }
            };
            for (size_t cut = 1; cut < c.stream.size(); ++cut) {
                ClearConnection split(trace);
                split.receive(c.stream.data(), cut);
                split.receive(c.stream.data() + cut, c.stream.size() - cut);
                expectSame(split, " cut at " + std::to_string(cut));
            }
            ClearConnection byteByByte(trace);
            for (uint8_t byte : c.stream) {
                byteByByte.receive(&byte, 1);
            }
            expectSame(byteByByte, " byte by byte");
        }
    }
}

TEST(TelnetReceiveTest, RecordLongerThanTheBufferIsCutAndTheNextOneIsWhole) {
    ClearConnection connection(false);
    connection.receive(Bytes{IAC, WILL, 25});
    Bytes longRecord;
    for (int i = 0; i < 20005; ++i) {
        longRecord.push_back(uint8_t(i % 251));
    }
    connection.receive(cat(longRecord, Bytes{IAC, EOR, 'A', 'B', IAC, EOR}));
    ASSERT_EQ(connection.records.size(), 2u);
    EXPECT_EQ(connection.records[0], Bytes(longRecord.begin(), longRecord.begin() + 20000));
    EXPECT_EQ(connection.records[1], (Bytes{'A', 'B'}));
}

TEST(TelnetReceiveTest, RecordModeKeepsAPartialRecordAcrossSegments) {
    ClearConnection connection(false);
    connection.receive(Bytes{IAC, DO, 25, 0xF5, 0xC3});
    EXPECT_EQ(connection.buffer.size(), 2u);
    EXPECT_TRUE(connection.records.empty());
    connection.receive(Bytes{0x40, IAC});
    connection.receive(Bytes{EOR});
    EXPECT_EQ(connection.records, (std::vector<Bytes>{{0xF5, 0xC3, 0x40}}));
    EXPECT_EQ(connection.screen()[0], padded(""));
}

}  // namespace
}  // namespace kestrel::test
