#include "demo_host/demo_session.h"

#include <gtest/gtest.h>

#include "demo_host/inbound_record.h"
#include "demo_host/panels.h"
#include "host_harness.h"

namespace kestrel::demo_host {
namespace {

using test::Bytes;
using test::framed;
using test::readModified;
using test::recordsIn;
using test::TestScreen;

constexpr uint8_t kTtype = kOptionTerminalType;
constexpr uint8_t kEorOption = kOptionEndOfRecord;
constexpr uint8_t kBin = kOptionBinary;
constexpr std::time_t kNoon = 1700049600;  // 2023-11-15 12:00:00 UTC

Bytes ascii(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

class DemoSessionTest : public ::testing::Test {
  protected:
    using Clock = DemoSession::Clock;

    DemoSession session{[] { return kNoon; }};
    Clock::time_point now{};
    TestScreen screen;

    Bytes send(const Bytes& bytes) {
        session.receive(bytes, now);
        return session.takeOutput();
    }

    // Negotiates as a terminal of TYPE would; returns the last host output.
    Bytes negotiate(std::string_view type) {
        session.start(now);
        EXPECT_EQ(session.takeOutput(), (Bytes{0xFF, kDo, kTtype}));
        EXPECT_EQ(send({0xFF, kWill, kTtype}), (Bytes{0xFF, kSb, kTtype, 1, 0xFF, kSe}));
        Bytes is = {0xFF, kSb, kTtype, 0};
        const Bytes name = ascii(type);
        is.insert(is.end(), name.begin(), name.end());
        is.insert(is.end(), {0xFF, kSe});
        return send(is);
    }

    // Negotiation up to the Read Partition Query, then the query reply; the
    // logon panel is applied to the screen.
    void connect(std::string_view type = "IBM-3278-2-E") {
        ASSERT_EQ(negotiate(type), (Bytes{0xFF, kDo, kEorOption, 0xFF, kWill, kEorOption, 0xFF, kDo,
                                          kBin, 0xFF, kWill, kBin}));
        EXPECT_TRUE(
            send({0xFF, kWill, kEorOption, 0xFF, kDo, kEorOption, 0xFF, kWill, kBin}).empty());
        EXPECT_EQ(send({0xFF, kDo, kBin}), framed(readPartitionQuery()));
        ASSERT_TRUE(session.deadline().has_value());
        const Bytes usableArea = {0x88, 0x00, 0x0A, 0x81, 0x81, 0x01, 0x00, 0x00, 0x50, 0x00, 0x18};
        show(send(framed(usableArea)));
        EXPECT_FALSE(session.deadline().has_value());
    }

    // Applies the single record in OUTPUT to the screen.
    void show(const Bytes& output) {
        const auto records = recordsIn(output);
        ASSERT_EQ(records.size(), 1u);
        ASSERT_TRUE(screen.apply(records[0]));
    }

    void press(const Bytes& record) { show(send(framed(record))); }

    void logOn() {
        connect();
        press(readModified(kAidEnter, kPasswordAddress,
                           {{kUseridAddress, "ibmuser"}, {kPasswordAddress, "demo"}}));
        ASSERT_TRUE(screen.contains("MAIN MENU"));
    }

    std::string message() const { return screen.textAt(messageRow(screen.rows()), 1); }
    Panel panel() const { return session.dialog()->panel(); }
};

TEST_F(DemoSessionTest, LogonPanelHasItsFieldsWhereTheyAreSaid) {
    connect();
    EXPECT_EQ(screen.command(), 0xF5);
    EXPECT_EQ(screen.textAt(0, 1), "KESTREL DEMO HOST - LOGON");
    EXPECT_EQ(screen.colour(0), kTurquoise);
    EXPECT_EQ(screen.textAt(4, 1), "USERID   ===>");
    EXPECT_EQ(screen.textAt(5, 1), "PASSWORD ===>");
    EXPECT_EQ(screen.attribute(kUseridAddress - 1), 0x00);    // unprotected
    EXPECT_EQ(screen.attribute(kPasswordAddress - 1), 0x0C);  // unprotected, non-display
    EXPECT_EQ(screen.attribute(kUseridAddress + 8), 0x30);    // autoskip ends the field
    EXPECT_EQ(screen.attribute(kPasswordAddress + 8), 0x30);
    EXPECT_EQ(screen.cursor(), kUseridAddress);
    // The word in colour, and the attribute reset after it.
    const int demo = 7 * 80 + 1 + static_cast<int>(screen.textAt(7, 1).find("DEMO"));
    EXPECT_EQ(screen.colour(demo), kYellow);
    EXPECT_EQ(screen.colour(demo + 4), 0);
    EXPECT_EQ(screen.textAt(23, 1), "ENTER=LOGON");
}

TEST_F(DemoSessionTest, WrongPasswordRedrawsLogonWithMessageRightOneShowsMenu) {
    connect();
    press(readModified(kAidEnter, kPasswordAddress + 5,
                       {{kUseridAddress, "ibmuser"}, {kPasswordAddress, "secret"}}));
    EXPECT_EQ(screen.command(), 0xF5);
    EXPECT_EQ(message(), "INVALID PASSWORD");
    EXPECT_EQ(panel(), Panel::Logon);
    EXPECT_EQ(screen.cursor(), kUseridAddress);

    // No userid at all.
    press(readModified(kAidEnter, kPasswordAddress, {{kPasswordAddress, "DEMO"}}));
    EXPECT_EQ(message(), "ENTER A USERID");

    // Password in any case, its field addressed in 14 bits.
    press(readModified(kAidEnter, kPasswordAddress + 4,
                       {{kUseridAddress, " ibmuser"}, {kPasswordAddress, "DeMo", true}}));
    EXPECT_EQ(panel(), Panel::Menu);
    EXPECT_EQ(screen.textAt(0, 1), "KESTREL DEMO HOST - MAIN MENU");
    EXPECT_EQ(screen.textAt(2, 1), "LOGGED ON AS ibmuser");
    EXPECT_EQ(screen.textAt(8, 1), "OPTION ===>");
    EXPECT_EQ(screen.attribute(kOptionAddress - 1), 0x10);  // unprotected numeric
    EXPECT_EQ(screen.cursor(), kOptionAddress);
    EXPECT_EQ(message(), "");
}

TEST_F(DemoSessionTest, MenuOptionsLeadToTheirPanels) {
    logOn();
    press(readModified(kAidEnter, kOptionAddress + 1, {{kOptionAddress, "9"}}));
    EXPECT_EQ(screen.command(), 0xF1);  // only the message line changes
    EXPECT_EQ(message(), "INVALID OPTION");
    EXPECT_EQ(screen.textAt(2, 1), "LOGGED ON AS ibmuser");
    EXPECT_EQ(panel(), Panel::Menu);

    press(readModified(kAidEnter, kOptionAddress + 1, {{kOptionAddress, "2"}}));
    EXPECT_EQ(screen.textAt(0, 1), "KESTREL DEMO HOST - STATUS");
    EXPECT_EQ(screen.textAt(2, 1), "USERID        ibmuser");
    EXPECT_EQ(screen.textAt(3, 1), "TERMINAL      IBM-3278-2-E");
    EXPECT_EQ(screen.textAt(5, 1), "QUERY REPLY   11 BYTES, USABLE AREA 80 X 24");
    EXPECT_EQ(screen.textAt(6, 1), "TIME (UTC)    2023-11-15 12:00:00");
    press(readModified(kAidPf3, 0, {}));
    EXPECT_EQ(panel(), Panel::Menu);

    press(readModified(kAidEnter, kOptionAddress + 1, {{kOptionAddress, " 1"}}));
    EXPECT_EQ(screen.textAt(0, 1), "KESTREL DEMO HOST - ECHO");
    EXPECT_EQ(screen.cursor(), kEchoAddress);

    press(readModified(kAidPf3, 0, {}));
    press(readModified(kAidEnter, kOptionAddress + 1, {{kOptionAddress, "3"}}));
    EXPECT_EQ(screen.textAt(2, 1), "GOODBYE, ibmuser. YOUR SESSION HAS ENDED.");
    EXPECT_TRUE(session.finished());
}

TEST_F(DemoSessionTest, EchoShowsTheTextAndPf3GoesBackToMenuThenLogon) {
    logOn();
    press(readModified(kAidEnter, kOptionAddress + 1, {{kOptionAddress, "1"}}));
    press(readModified(kAidEnter, kEchoAddress + 11, {{kEchoAddress, "HELLO, WORLD"}}));
    EXPECT_EQ(screen.textAt(6, 1), "YOU TYPED: HELLO, WORLD");
    EXPECT_EQ(screen.textAt(kEchoAddress / 80, kEchoAddress % 80), "");  // field emptied

    press(readModified(kAidPf3, kEchoAddress, {}));
    EXPECT_EQ(panel(), Panel::Menu);
    press(readModified(kAidPf3, kOptionAddress, {}));
    EXPECT_EQ(panel(), Panel::Logon);
    EXPECT_EQ(screen.textAt(0, 1), "KESTREL DEMO HOST - LOGON");
}

TEST_F(DemoSessionTest, ClearRedrawsPaAndOtherKeysGetMessages) {
    logOn();
    press(readModified(kAidEnter, kOptionAddress + 1, {{kOptionAddress, "1"}}));
    press(readModified(kAidEnter, kEchoAddress + 2, {{kEchoAddress, "HI"}}));

    screen = TestScreen();  // what the terminal's Clear key does to its screen
    press({kAidClear});
    EXPECT_EQ(screen.command(), 0xF5);
    EXPECT_EQ(screen.textAt(0, 1), "KESTREL DEMO HOST - ECHO");
    EXPECT_EQ(screen.textAt(6, 1), "YOU TYPED: HI");

    press({kAidPa1});
    EXPECT_EQ(screen.command(), 0xF1);
    EXPECT_EQ(message(), "PA KEY IGNORED");
    press(readModified(0xF5, 0, {}));  // PF5
    EXPECT_EQ(message(), "KEY NOT ACTIVE");
    EXPECT_EQ(screen.textAt(6, 1), "YOU TYPED: HI");
    EXPECT_EQ(panel(), Panel::Echo);
}

TEST_F(DemoSessionTest, ModelThreeGetsEraseWriteAlternateOn32Rows) {
    screen = TestScreen(32);
    connect("ibm-3278-3");
    EXPECT_EQ(session.rows(), 32);
    EXPECT_EQ(screen.command(), 0x7E);
    EXPECT_EQ(screen.rows(), 32);
    EXPECT_EQ(screen.textAt(31, 1), "ENTER=LOGON");
    press(readModified(kAidEnter, 0, {{kUseridAddress, "X"}}));
    EXPECT_EQ(screen.textAt(30, 1), "INVALID PASSWORD");
}

TEST_F(DemoSessionTest, SilentClientGetsTheLogonPanelAfterTheWait) {
    negotiate("IBM-3278-2");
    send({0xFF, kWill, kEorOption, 0xFF, kDo, kEorOption, 0xFF, kWill, kBin, 0xFF, kDo, kBin});
    now += DemoSession::kQueryReplyWait - std::chrono::milliseconds(1);
    session.tick(now);
    EXPECT_TRUE(session.takeOutput().empty());
    now += std::chrono::milliseconds(1);
    session.tick(now);
    show(session.takeOutput());
    EXPECT_EQ(screen.textAt(0, 1), "KESTREL DEMO HOST - LOGON");
}

TEST_F(DemoSessionTest, UnsupportedTerminalTypeGetsLineModeMessageAndClose) {
    const Bytes output = negotiate("IBM-3279-2-E");
    const std::string text(output.begin(), output.end());
    EXPECT_NE(text.find("TERMINAL TYPE IBM-3279-2-E IS NOT SUPPORTED"), std::string::npos);
    EXPECT_TRUE(session.finished());
    EXPECT_TRUE(recordsIn(output).empty());
}

TEST_F(DemoSessionTest, RefusedTerminalTypeOrRecordModeEndsTheSession) {
    session.start(now);
    session.takeOutput();
    const Bytes output = send({0xFF, kWont, kTtype});
    EXPECT_NE(std::string(output.begin(), output.end()).find("NEEDS A TN3270 TERMINAL"),
              std::string::npos);
    EXPECT_TRUE(session.finished());

    DemoSession other;
    other.start(now);
    other.receive(Bytes{0xFF, kWill, kTtype, 0xFF, kSb, kTtype, 0,    'I', 'B',  'M',   '-',
                        '3',  '2',   '7',    '8',  '-', '2',    0xFF, kSe, 0xFF, kDont, kEorOption},
                  now);
    EXPECT_TRUE(other.finished());
}

}  // namespace
}  // namespace kestrel::demo_host
