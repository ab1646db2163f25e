// The session: connecting, the receive and send paths, the end of a session,
// keep-alive and the proxy step, against a recording transport.
#include "net/session.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/recording_transport.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using test_support::RecordingTransport;
using test_support::RecordingUi;
using test_support::TempDir;
using Calls = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;

class SessionTest : public ::testing::Test {
  protected:
    SessionTest() {
        settings.host_name = "mvs";
        for (int e = 0xC1; e <= 0xC9; ++e) {
            engine.codePage.setPair(uint8_t(e), uint8_t('A' + e - 0xC1));
        }
    }

    // The user-interface calls other than repaints and the blink timer.
    Calls uiCalls() {
        Calls calls;
        for (const std::string& call : ui.calls) {
            if (call.rfind("repaint", 0) != 0) {
                calls.push_back(call);
            }
        }
        ui.calls.clear();
        return calls;
    }
    Calls transportCalls() {
        Calls calls = transport.calls;
        transport.calls.clear();
        return calls;
    }
    void receive(const Bytes& bytes) { session.onData(bytes.data(), bytes.size()); }
    void connectOnline() {
        session.connect(settings.host_name, settings.port);
        session.onConnected();
        uiCalls();
        transportCalls();
    }

    Settings settings;
    DisplayImage image;
    RecordingUi ui;
    vt engine{settings, image, ui};
    LineModeDisplay lineMode;
    SystemClock clock;
    TrafficLog log{clock, engine.codePage, settings};
    RecordingTransport transport;
    Session session{settings, engine, lineMode, log, transport, ui};
};

TEST_F(SessionTest, ConnectStartsTimersAndGoesOnlineWhenEstablished) {
    EXPECT_EQ(session.state(), ConnectionState::Offline);
    EXPECT_TRUE(session.connect("mvs", 23));
    EXPECT_EQ(session.state(), ConnectionState::Request);
    EXPECT_EQ(uiCalls(), (Calls{"start timer 4 600", "start timer 8 15000", "title mvs"}));
    EXPECT_EQ(transportCalls(), Calls{"open mvs 23"});
    session.onConnected();
    EXPECT_EQ(session.state(), ConnectionState::Online);
    EXPECT_EQ(uiCalls(), Calls{"start timer 1 2000"});
    EXPECT_STREQ(connectionStateText(session.state()), "ONLINE ");
}

TEST_F(SessionTest, AutomaticConnectionRunsOnceAtStartUp) {
    session.autoConnectCheck();
    EXPECT_TRUE(transportCalls().empty());  // autoconnect is off
    settings.autoconnect = 1;
    session.autoConnectCheck();
    session.onConnectFailed();
    session.autoConnectCheck();  // only the first idle pass connects
    EXPECT_EQ(transportCalls(), (Calls{"open mvs 23", "close"}));
}

TEST_F(SessionTest, RefusedConnectionShowsItsMessage) {
    session.connect("mvs", 23);
    uiCalls();
    session.onConnectFailed();
    EXPECT_EQ(session.state(), ConnectionState::Offline);
    EXPECT_EQ(uiCalls(), (Calls{"message 32855", "title "}));

    session.connect("mvs", 23);
    uiCalls();
    session.abortConnect();
    EXPECT_EQ(uiCalls(), (Calls{"message 32869", "title "}));

    transport.openSucceeds = false;
    EXPECT_FALSE(session.connect("mvs", 23));
    EXPECT_EQ(uiCalls().back(), "message 32856");
    EXPECT_EQ(session.state(), ConnectionState::Offline);
}

TEST_F(SessionTest, ConnectCommandReadsThePortAndKeepsTheHistory) {
    session.connectCommand("mvs.example.com:992");
    EXPECT_EQ(transportCalls(), Calls{"open mvs.example.com 992"});
    EXPECT_EQ(settings.host_name, "mvs.example.com");
    EXPECT_EQ(settings.port, 992);
    EXPECT_EQ(settings.host_hist, "mvs.example.com:992");
    session.onConnected();
    uiCalls();

    session.connectCommand("other");  // one connection only
    EXPECT_EQ(uiCalls(), Calls{"message 32858"});
    EXPECT_TRUE(session.connected());
    session.disconnectCommand();

    session.connectCommand("host:abc");  // not a number: the port stays
    EXPECT_EQ(settings.port, 992);
    EXPECT_EQ(settings.host_name, "host");
}

TEST_F(SessionTest, HistoryHoldsEightHostsNewestFirstIgnoringCase) {
    for (int i = 1; i <= 9; ++i) {
        session.connectCommand("h" + std::to_string(i));
        session.onConnectFailed();
    }
    EXPECT_EQ(settings.host_hist, "h9");
    EXPECT_EQ(settings.st, "h2");  // h1 fell out
    session.connectCommand("H5");
    EXPECT_EQ(settings.host_hist, "h9");
    EXPECT_EQ(settings.st, "h2");
}

TEST_F(SessionTest, NegotiationRepliesAndRecordsReachTheEngine) {
    connectOnline();
    receive({0xFF, 0xFD, 0x18, 0xFF, 0xFA, 0x18, 0x01, 0xFF, 0xF0});
    receive({0xFF, 0xFB, 0x19, 0xF5, 0xC3, 0x11, 0x40});
    receive({0x40, 0xC1, 0xFF, 0xFF, 0xFF, 0xEF});  // a record split across reads
    EXPECT_EQ(transportCalls(), (Calls{"write FFFB18", "write FFFA180049424D2D333237382D332D45FFF0",
                                       "write FFFD19"}));
    EXPECT_TRUE(session.recordMode());
    EXPECT_EQ(engine.presentationSpace[0], 0xC1u);
    EXPECT_EQ(engine.presentationSpace[1], 0xFFu);
    EXPECT_EQ(engine.keyboardUnlocked, 1);
}

TEST_F(SessionTest, TextBeforeRecordModeIsDrawnAtTheEndOfEachRead) {
    connectOnline();
    receive({'H', 'I', '\r', '\n'});
    EXPECT_EQ(image.rowText(1).substr(0, 3), "HI ");
    EXPECT_EQ(engine.cursorAddress, 80);
}

TEST_F(SessionTest, LoneIacAfterBreakIsDroppedOnce) {
    connectOnline();
    session.ignoreLoneIac();
    receive({0xFF});
    receive({0xFF});  // the flag is still set: dropped again
    receive({'A'});
    receive({0xFF, 0xFF});
    EXPECT_EQ(image.rowText(1).substr(0, 2), "A\xFF");
}

TEST_F(SessionTest, SendFramesAndKeepsWhatTheSocketDidNotTake) {
    connectOnline();
    const Bytes record = {0x7D, 0xFF, 0x40};
    session.send(record.data(), record.size(), true);
    EXPECT_EQ(transportCalls(), Calls{"write 7DFFFF40FFEF"});

    transport.accept = 2;
    session.send(record.data(), record.size(), false);
    transport.accept = -1;
    session.send(record.data(), 1, false);
    transport.accept = 100;
    session.send(record.data(), 1, false);
    EXPECT_EQ(transportCalls(), (Calls{"write 7DFF", "write failed", "write 407D7D"}));
    EXPECT_TRUE(uiCalls().empty());
}

TEST_F(SessionTest, OversizedSendShowsItsMessageAndSendsNothing) {
    connectOnline();
    const Bytes record(20000, 0x40);
    session.send(record.data(), record.size(), false);
    EXPECT_EQ(uiCalls(), Calls{"message 32857"});
    EXPECT_TRUE(transportCalls().empty());

    transport.accept = 0;  // the socket takes nothing: the buffer fills up
    const Bytes chunk(9000, 0x40);
    session.send(chunk.data(), chunk.size(), false);
    session.send(chunk.data(), chunk.size(), false);
    EXPECT_TRUE(uiCalls().empty());
    session.send(chunk.data(), chunk.size(), false);
    EXPECT_EQ(uiCalls(), Calls{"message 32857"});
}

TEST_F(SessionTest, HostClosingEndsTheSessionAsTheSettingsSay) {
    const struct {
        int autoreconnect;
        int exit;
        Calls ui;
        Calls transport;
    } cases[] = {
        {0, 0, {"message 32805", "title "}, {"close"}},
        {0, 1, {"title ", "exit"}, {"close"}},
        {1,
         0,
         {"title ", "start timer 4 600", "start timer 8 15000", "title mvs"},
         {"close", "open mvs 23"}},
    };
    for (const auto& c : cases) {
        settings.autoreconnect = c.autoreconnect;
        settings.exit = c.exit;
        session.disconnectCommand();
        connectOnline();
        session.onClosed();
        EXPECT_EQ(uiCalls(), c.ui) << c.autoreconnect << c.exit;
        EXPECT_EQ(transportCalls(), c.transport) << c.autoreconnect << c.exit;
    }
    settings.autoreconnect = 0;
    session.onConnected();
    uiCalls();
    session.disconnectCommand();  // never ends the application
    EXPECT_EQ(uiCalls(), Calls{"title "});
}

TEST_F(SessionTest, KeepAliveSendsTimingMarkWhenOn) {
    connectOnline();
    session.onTimer(timer::KeepAlive);
    EXPECT_TRUE(transportCalls().empty());
    settings.alive = 1;
    session.onTimer(timer::KeepAlive);
    EXPECT_EQ(transportCalls(), Calls{"write FFFD06"});
}

TEST_F(SessionTest, SocksRequestThenHostDataInTheSameRead) {
    settings.proxy_enable = 1;
    settings.proxy_host = "proxy";
    settings.proxy_port = 1080;
    settings.host_name = "10.1.2.3";
    connectOnline();
    EXPECT_FALSE(session.proxyStepDone());
    session.onTimer(timer::ProxyLogin);
    // 4 1, port 23, 10.1.2.3, the template as it stands as user id, 0.
    EXPECT_EQ(transportCalls(), Calls{"write 040100170A010203"
                                      "24312024325C3031355C30313200"});
    EXPECT_EQ(uiCalls(), Calls{"stop timer 1"});
    receive({0x00, 0x5A, 0, 0, 0, 0, 0, 0, 0xFF, 0xFD, 0x18});
    EXPECT_TRUE(session.proxyStepDone());
    EXPECT_EQ(transportCalls(), Calls{"write FFFB18"});
}

TEST_F(SessionTest, RefusedSocksRequestIsALostConnection) {
    settings.proxy_enable = 1;
    settings.host_name = "10.1.2.3";
    connectOnline();
    session.onTimer(timer::ProxyLogin);
    transportCalls();
    uiCalls();
    receive({0x00, 0x5B, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(uiCalls(), (Calls{"message 32805", "title "}));
    EXPECT_FALSE(session.connected());
}

TEST_F(SessionTest, UnresolvableSocksDestinationEndsTheSessionQuietly) {
    settings.proxy_enable = 1;
    settings.exit = 1;
    settings.host_name = "nowhere";
    connectOnline();
    session.onTimer(timer::ProxyLogin);
    EXPECT_EQ(uiCalls(), (Calls{"stop timer 1", "message 32787", "title "}));
    EXPECT_EQ(transportCalls(), (Calls{"lookup nowhere", "close"}));
}

TEST_F(SessionTest, ScriptedProxyLoginThenLineMode) {
    settings.proxy_enable = 1;
    settings.proxy_socks_enable = 0;
    settings.host_name = "h";
    connectOnline();
    session.onTimer(timer::ProxyLogin);
    EXPECT_EQ(transportCalls(), Calls{"write 682032330D0A"});
    EXPECT_TRUE(session.proxyStepDone());
    receive({'o', 'k', '\r', '\n'});
    EXPECT_EQ(image.rowText(1).substr(0, 2), "ok");
}

TEST_F(SessionTest, SslStartsWithTheClientHelloAndCarriesTheSendPath) {
    settings.ssl = 1;
    connectOnline();  // the handshake starts when the connection is made
    session.disconnectCommand();
    transportCalls();
    session.connect("mvs", 23);
    EXPECT_EQ(session.state(), ConnectionState::Request);
    session.onConnected();
    EXPECT_EQ(session.state(), ConnectionState::OnlineSsl);
    const Calls calls = transportCalls();
    ASSERT_EQ(calls.size(), 2u);  // the open, then the hello
    EXPECT_EQ(calls[1].substr(0, 18), "write 160300002D01");
    // Data before the handshake is done is held, not sent in clear.
    const Bytes record = {0x7D, 0x40, 0x40};
    session.send(record.data(), record.size(), true);
    EXPECT_TRUE(transportCalls().empty());
}

TEST_F(SessionTest, SslRecordTooLongIsRefusedOnItsHeader) {
    settings.ssl = 1;
    connectOnline();
    receive({0x17, 0x03, 0x00, 0x3E});  // not even a whole header yet
    EXPECT_TRUE(uiCalls().empty());
    receive({0x80});  // 16000 bytes promised: awaited
    EXPECT_TRUE(uiCalls().empty());
    EXPECT_TRUE(session.connected());

    session.disconnectCommand();
    connectOnline();
    receive({0x17, 0x03, 0x00, 0xFF, 0xFF, 0x41});  // more than any record may hold
    EXPECT_FALSE(session.connected());
    const Calls calls = uiCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(),
              "text Host sends an SSL record that is too long. Session MUST terminate");
}

TEST_F(SessionTest, TrafficIsLoggedBothWays) {
    TempDir dir;
    settings.log_enable = 1;
    settings.logname = dir.file("log");
    connectOnline();
    receive({0xFF, 0xFD, 0x18});
    const std::string text = TempDir::read(dir.file("log"));
    EXPECT_EQ(text.substr(0, 4), "IBM ");
    EXPECT_NE(text.find("ff fd 18 "), std::string::npos);
    EXPECT_NE(text.find("\nPC 7.1 "), std::string::npos);
    EXPECT_NE(text.find("ff fb 18 "), std::string::npos);
}

}  // namespace
}  // namespace kestrel
