// netop: the result of every inbound byte, the replies to option requests,
// terminal-type subnegotiation, the negotiation trace and the keep-alive.
#include "net/netop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/telnet_harness.h"

namespace kestrel::test {
namespace {

using namespace telnet;

// One letter per byte: C consumed, D data, E end of record.
std::string feed(netop& telnet, const Bytes& bytes) {
    std::string results;
    for (uint8_t byte : bytes) {
        switch (telnet.processByte(byte)) {
            case TelnetResult::Consumed:
                results += 'C';
                break;
            case TelnetResult::Data:
                results += 'D';
                break;
            case TelnetResult::EndOfRecord:
                results += 'E';
                break;
        }
    }
    return results;
}

struct Connection {
    explicit Connection(bool trace, int alternate = 32) {
        settings.show_negotiation = trace ? 1 : 0;
        settings.alternate = alternate;
    }
    std::string feed(const Bytes& bytes) { return test::feed(telnet, bytes); }

    Settings settings;
    RecordingPeer peer;
    netop telnet{settings, peer};
};

TEST(NetopTest, ClassifiesEveryByteTheSameWithTraceOnOrOff) {
    struct Case {
        const char* name;
        Bytes input;
        std::string results;
    };
    const std::vector<Case> cases = {
        {"IAC IAC is one data byte 255", {'A', IAC, IAC, 'B'}, "DCDD"},
        {"IAC EOR ends a record", {'A', IAC, EOR}, "DCE"},
        {"EOR without IAC is data", {EOR, 'A'}, "DD"},
        {"IAC EOR IAC EOR: two records, the second empty", {IAC, EOR, IAC, EOR}, "CECE"},
        {"IAC DM clears the IAC state", {IAC, DM, 'A', IAC, DM, IAC, IAC}, "CCDCCCD"},
        {"command bytes without IAC are data", {SB, WILL, WONT, DO, DONT, SE, DM, NOP}, "DDDDDDDD"},
        {"IAC after IAC WILL is an escaped data byte", {IAC, WILL, IAC, 'A'}, "CCDD"},
        {"IAC and an ordinary byte before any command", {IAC, 'x', 'A', IAC, NOP, 'B'}, "CCDCCD"},
        {"a subnegotiation takes IAC EOR and IAC IAC as its own bytes",
         {IAC, SB, 42, 'x', IAC, EOR, IAC, IAC, IAC, SE, 'A'},
         "CCCCCCCCCCD"},
        {"SE without IAC ends a subnegotiation", {IAC, SB, 42, 1, SE, 'A'}, "CCCCCD"},
        {"IAC SE outside a subnegotiation", {IAC, SE, 'A'}, "CCD"},
    };
    for (const Case& c : cases) {
        for (bool trace : {false, true}) {
            Connection connection(trace);
            EXPECT_EQ(connection.feed(c.input), c.results) << c.name << " trace " << trace;
            EXPECT_EQ(connection.peer.untraced(), std::vector<std::string>{})
                << c.name << " trace " << trace;
        }
    }
}

// The replies (and record mode) for each host request; the trace is off.
TEST(NetopTest, AnswersOnlyWhatTheHostAsks) {
    struct Case {
        const char* name;
        Bytes input;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases = {
        {"WILL TERMINAL-TYPE is accepted once", {IAC, WILL, 24, IAC, WILL, 24}, {"send ff fd 18"}},
        {"WONT after an accepted WILL",
         {IAC, WILL, 24, IAC, WONT, 24},
         {"send ff fd 18", "send ff fe 18"}},
        {"WONT never accepted", {IAC, WONT, 24, IAC, WONT, 3}, {}},
        {"WILL again after WONT",
         {IAC, WILL, 0, IAC, WONT, 0, IAC, WILL, 0},
         {"send ff fd 00", "send ff fe 00", "send ff fd 00"}},
        {"DO TERMINAL-TYPE is accepted once", {IAC, DO, 24, IAC, DO, 24}, {"send ff fb 18"}},
        {"DONT after an accepted DO",
         {IAC, DO, 24, IAC, DONT, 24},
         {"send ff fb 18", "send ff fc 18"}},
        {"DONT never accepted", {IAC, DONT, 24, IAC, DONT, 0}, {}},
        {"accepted both ways: BINARY and SUPPRESS-GO-AHEAD",
         {IAC, DO, 0, IAC, WILL, 0, IAC, DO, 3, IAC, WILL, 3},
         {"send ff fb 00", "send ff fd 00", "send ff fb 03", "send ff fd 03"}},
        {"DO 42 is refused every time",
         {IAC, DO, 42, IAC, DO, 42},
         {"send ff fc 2a", "send ff fc 2a"}},
        {"WILL 42 is refused", {IAC, WILL, 42}, {"send ff fe 2a"}},
        {"WILL TIMING-MARK", {IAC, WILL, 6}, {"send ff fe 06"}},
        {"WONT TIMING-MARK", {IAC, WONT, 6}, {}},
        {"STATUS is refused both ways",
         {IAC, WILL, 5, IAC, DO, 5},
         {"send ff fe 05", "send ff fc 05"}},
        {"DO ECHO on a fresh connection", {IAC, DO, 1}, {}},
        {"DO ECHO after WILL ECHO",
         {IAC, WILL, 1, IAC, DO, 1, IAC, DO, 1},
         {"send ff fd 01", "send ff fb 01"}},
        {"DONT ECHO on a fresh connection", {IAC, DONT, 1}, {"send ff fc 01"}},
        {"WILL END-OF-RECORD",
         {IAC, WILL, 25, IAC, WILL, 25},
         {"record mode", "send ff fd 19", "record mode"}},
        {"DO END-OF-RECORD", {IAC, DO, 25}, {"record mode", "send ff fb 19"}},
        {"WONT END-OF-RECORD after WILL",
         {IAC, WILL, 25, IAC, WONT, 25},
         {"record mode", "send ff fd 19", "send ff fe 19"}},
        {"the command is remembered: IAC NOP is another WILL",
         {IAC, WILL, 42, IAC, NOP, IAC, GA},
         {"send ff fe 2a", "send ff fe f1", "send ff fe f9"}},
        {"a later command byte replaces the earlier",
         {IAC, DO, DONT, 24, IAC, DO, WILL, 24},
         {"send ff fd 18"}},
        {"a subnegotiation other than TERMINAL-TYPE SEND",
         {IAC, SB, 42, 1, IAC, SE, IAC, SB, 24, 0, 'X', IAC, SE},
         {}},
        {"TERMINAL-TYPE SEND ended by SE alone",
         {IAC, SB, 24, 1, SE},
         {"send ff fa 18 00 49 42 4d 2d 33 32 37 38 2d 33 2d 45 ff f0"}},
        // Byte 1 of the buffer still holds the SEND of the first request; a
        // subnegotiation without one must not be answered from it.
        {"SB TERMINAL-TYPE with no byte after the option",
         {IAC, SB, 24, 1, IAC, SE, IAC, SB, 24, SE},
         {"send ff fa 18 00 49 42 4d 2d 33 32 37 38 2d 33 2d 45 ff f0"}},
    };
    for (const Case& c : cases) {
        Connection connection(false);
        connection.feed(c.input);
        EXPECT_EQ(connection.peer.calls, c.calls) << c.name;
    }
}

TEST(NetopTest, ReportsTheTerminalTypeOfTheAlternateScreenSize) {
    const Bytes send = {IAC, SB, 24, 1, IAC, SE};
    struct Case {
        int alternate;
        const char* type;
    };
    for (const Case& c :
         {Case{24, "IBM-3278-2-E"}, Case{32, "IBM-3278-3-E"}, Case{0, "IBM-3278-2-E"}}) {
        Connection connection(false, c.alternate);
        connection.feed(send);
        EXPECT_EQ(connection.peer.calls,
                  std::vector<std::string>{"send " +
                                           hex(cat(Bytes{IAC, SB, 24, 0}, c.type, Bytes{IAC, SE}))})
            << c.alternate;
    }
}

// Each handler traces the request first, then sends its reply, then traces the
// reply; the exact text of every line, with its odd blanks and "\n\r".
TEST(NetopTest, TracesEachStepBeforeAndAfterItsReply) {
    struct Case {
        const char* name;
        Bytes input;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases = {
        {"WILL accepted",
         {IAC, WILL, 24},
         {"trace HOST: IAC WILL TN_TERMTYPE \n\r", "send ff fd 18",
          "trace CLIENT: IAC  DO TN_TERMTYPE\n\r"}},
        {"WILL already accepted",
         {IAC, WILL, 0, IAC, WILL, 0},
         {"trace HOST: IAC WILL TN_TRANSBIT_BINARY \n\r", "send ff fd 00",
          "trace CLIENT: IAC  DO TN_TRANSBIT_BINARY\n\r",
          "trace HOST: IAC WILL TN_TRANSBIT_BINARY \n\r"}},
        {"WILL refused",
         {IAC, WILL, 5},
         {"trace HOST: IAC WILL TN_STATUS \n\r", "send ff fe 05",
          "trace CLIENT: IAC  DONT TN_STATUS\n\r"}},
        {"WONT",
         {IAC, WILL, 3, IAC, WONT, 3},
         {"trace HOST: IAC WILL TN_SUPPRESS_GA \n\r", "send ff fd 03",
          "trace CLIENT: IAC  DO TN_SUPPRESS_GA\n\r", "trace HOST: IAC WONT TN_SUPPRESS_GA \n\r",
          "send ff fe 03", "trace CLIENT: IAC  DONT TN_SUPPRESS_GA\n\r"}},
        {"WONT with nothing to answer",
         {IAC, WONT, 6},
         {"trace HOST: IAC WONT TN_TIMING_MARK \n\r"}},
        {"DO refused, numeric option",
         {IAC, DO, 42},
         {"trace HOST: IAC DO  2a \n\r", "send ff fc 2a", "trace CLIENT: IAC  WONT  2a\n\r"}},
        {"DO ECHO after WILL ECHO",
         {IAC, WILL, 1, IAC, DO, 1},
         {"trace HOST: IAC WILL TN_ECHO \n\r", "send ff fd 01", "trace CLIENT: IAC  DO TN_ECHO\n\r",
          "trace HOST: IAC DO TN_ECHO \n\r", "send ff fb 01",
          "trace CLIENT: IAC  WILL TN_ECHO\n\r"}},
        {"DONT: no blank before the line end",
         {IAC, DONT, 1},
         {"trace HOST: IAC DONT TN_ECHO\n\r", "send ff fc 01",
          "trace CLIENT: IAC  WONT TN_ECHO\n\r"}},
        {"END-OF-RECORD turns record mode on before the reply",
         {IAC, DO, 25},
         {"trace HOST: IAC DO EOR \n\r", "record mode", "send ff fb 19",
          "trace CLIENT: IAC  WILL EOR\n\r"}},
        {"single-digit option",
         {IAC, WILL, 7},
         {"trace HOST: IAC WILL  07 \n\r", "send ff fe 07", "trace CLIENT: IAC  DONT  07\n\r"}},
        {"DM", {IAC, DM}, {"trace HOST: IAC DM\n\r"}},
        {"terminal-type request",
         {IAC, SB, 24, 1, IAC, SE},
         {"trace HOST: IAC SB TN_TERMTYPE 01 SE\n\r",
          "send ff fa 18 00 49 42 4d 2d 33 32 37 38 2d 33 2d 45 ff f0",
          "trace CLIENT: IAC SB TERMTYPE IS IBM-3278-3-E  IAC SE\n\r"}},
        {"other subnegotiation: every stored byte but the last (the IAC)",
         {IAC, SB, 42, 1, 0xAB, IAC, IAC, IAC, SE},
         {"trace HOST: IAC SB  2a 01 ab ff ff SE\n\r"}},
        {"subnegotiation ended by SE alone: its last byte is not traced",
         {IAC, SB, 3, 7, 8, SE},
         {"trace HOST: IAC SB TN_SUPPRESS_GA 07 SE\n\r"}},
        {"empty subnegotiation",
         {IAC, SB, 0, SE},
         {"trace HOST: IAC SB TN_TRANSBIT_BINARY SE\n\r"}},
    };
    for (const Case& c : cases) {
        Connection traced(true);
        traced.feed(c.input);
        EXPECT_EQ(traced.peer.calls, c.calls) << c.name;

        // Without the trace the same replies leave in the same order.
        Connection quiet(false);
        quiet.feed(c.input);
        EXPECT_EQ(quiet.peer.calls, traced.peer.untraced()) << c.name;
    }
}

TEST(NetopTest, SubnegotiationKeepsEightyBytesAndSeStillEndsIt) {
    // 100 bytes after the option; an IAC EOR among the dropped ones must not
    // end a record, and the IAC of the closing IAC SE no longer fits.
    Bytes input = {IAC, SB, 42};
    for (int i = 0; i < 100; ++i) {
        input.push_back(uint8_t(i));
    }
    input[3 + 90] = IAC;
    input[3 + 91] = EOR;
    append(input, {IAC, SE, 'A', IAC, DO, 42});

    Connection connection(true);
    const std::string results = connection.feed(input);
    EXPECT_EQ(results, std::string(input.size() - 4, 'C') + "DCCC");

    // The buffer keeps the option and the first 79 bytes; the trace shows all
    // stored bytes but the last: 0 to 77.
    std::string line = "trace HOST: IAC SB  2a";
    for (int i = 0; i < 78; ++i) {
        line += " " + hex(Bytes{uint8_t(i)});
    }
    line += " SE\n\r";
    ASSERT_FALSE(connection.peer.calls.empty());
    EXPECT_EQ(connection.peer.calls.front(), line);
    EXPECT_EQ(connection.peer.untraced(), std::vector<std::string>{"send ff fc 2a"});
}

TEST(NetopTest, ReadsTheSettingsWhenTheyMatter) {
    Connection connection(false, 24);
    connection.feed({IAC, SB, 24, 1, IAC, SE});
    connection.settings.alternate = 32;
    connection.settings.show_negotiation = 1;
    connection.feed({IAC, SB, 24, 1, IAC, SE});
    connection.settings.show_negotiation = 0;
    connection.feed({IAC, DM});
    EXPECT_EQ(connection.peer.calls,
              (std::vector<std::string>{
                  "send ff fa 18 00 49 42 4d 2d 33 32 37 38 2d 32 2d 45 ff f0",
                  "trace HOST: IAC SB TN_TERMTYPE 01 SE\n\r",
                  "send ff fa 18 00 49 42 4d 2d 33 32 37 38 2d 33 2d 45 ff f0",
                  "trace CLIENT: IAC SB TERMTYPE IS IBM-3278-3-E  IAC SE\n\r",
              }));
}

TEST(NetopTest, KeepAliveAsksForATimingMarkWithoutChangingTheOptions) {
    Connection connection(true);
    connection.telnet.sendKeepAlive();
    connection.feed({IAC, WILL, 6, IAC, WONT, 6});
    connection.telnet.sendKeepAlive();
    EXPECT_EQ(connection.peer.calls, (std::vector<std::string>{
                                         "send ff fd 06",
                                         "trace CLIENT: IAC  DO TN_TIMING_MARK\n\r",
                                         "trace HOST: IAC WILL TN_TIMING_MARK \n\r",
                                         "send ff fe 06",
                                         "trace CLIENT: IAC  DONT TN_TIMING_MARK\n\r",
                                         "trace HOST: IAC WONT TN_TIMING_MARK \n\r",
                                         "send ff fd 06",
                                         "trace CLIENT: IAC  DO TN_TIMING_MARK\n\r",
                                     }));
}

TEST(NetopTest, KeepAliveInTheMiddleOfACommandLeavesItIntact) {
    Connection connection(false);
    EXPECT_EQ(connection.feed({'A', IAC}), "DC");
    connection.telnet.sendKeepAlive();
    EXPECT_EQ(connection.feed({IAC, 'B', IAC, DO}), "DDCC");
    connection.telnet.sendKeepAlive();
    EXPECT_EQ(connection.feed({24}), "C");
    EXPECT_EQ(connection.peer.calls,
              (std::vector<std::string>{"send ff fd 06", "send ff fd 06", "send ff fb 18"}));
}

TEST(NetopTest, NamesOptionsAndCommandsForTheTrace) {
    EXPECT_EQ(optionName(250), "TELNET_NOPTIONS");
    EXPECT_EQ(optionName(25), "EOR");
    EXPECT_EQ(optionName(2), " 02");
    EXPECT_EQ(optionName(255), " ff");
    EXPECT_EQ(commandName(WILL), " WILL");
    EXPECT_EQ(commandName(DONT), " DONT");
    EXPECT_EQ(commandName(SB), " BUG");
}

}  // namespace
}  // namespace kestrel::test
