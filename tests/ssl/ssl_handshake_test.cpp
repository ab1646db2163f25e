// The SSL client against a scripted server built on OpenSSL's libcrypto: the
// ClientHello byte for byte, full handshakes with RC4-MD5 and RC4-SHA, the
// server messages and the alerts they get, the key exchange limits, the
// Finished checks both ways, application data both ways, and the conditions
// that end a session.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "net/traffic_log.h"
#include "scripted_ssl_server.h"
#include "ssl/ssl_client.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using test_support::Bytes;
using test_support::concat;
using test_support::hex;
using test_support::plainRecord;
using test_support::RecordingPeer;
using test_support::RecordingUi;
using test_support::ScriptedServer;
using test_support::TempDir;
using test_support::TestRsaKey;

class FixedClock : public Clock {
  public:
    std::time_t now() const override { return 1796883178; }
};

const Bytes kHandshakeFailure = {21, 3, 0, 0, 2, 2, 40};
const Bytes kCertificateUnknown = {21, 3, 0, 0, 2, 2, 46};
const Bytes kNoCertificate = {21, 3, 0, 0, 2, 1, 41};

const std::string kWrongMacText =
    "text IBM Mainframe sends a packet with wrong MAC (checksum). Session MUST terminate";
const std::string kWrongFinishedText =
    "text Host sends a wrong SSL Finished message. Session MUST terminate";

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

class SslClientTest : public ::testing::Test {
  protected:
    SslClientTest() {
        log.open(dir.file("traffic.log"));
        log.setSessionLive(true);
    }

    void receive(const Bytes& record) { client.receiveRecord(record.data(), record.size()); }
    void send(const Bytes& data) { client.send(data.data(), data.size()); }
    std::vector<std::string> logItems() const {
        return test_support::readLogItems(TempDir::read(dir.file("traffic.log")));
    }
    void clearLog() { log.open(dir.file("traffic.log")); }
    bool logHas(const std::string& item) const {
        const auto items = logItems();
        return std::find(items.begin(), items.end(), item) != items.end();
    }

    // ClientHello, then the server's first flight in one record.
    void startWith(const Bytes& serverMessages) {
        client.startHandshake();
        ASSERT_EQ(peer.records.size(), 1u);
        server.takeClientHello(peer.records[0]);
        receive(server.handshake(serverMessages));
    }

    Bytes flight(uint8_t suite = 4) {
        return concat({test_support::serverHello(server.serverRandom, 0, suite),
                       test_support::certificateMessage(
                           test_support::certificateFor(key.modulus, key.exponent)),
                       test_support::serverHelloDone()});
    }

    // The client's ClientKeyExchange, ChangeCipherSpec and Finished, checked
    // by the server, and the server's ChangeCipherSpec and Finished.
    void finish() {
        ASSERT_EQ(peer.records.size(), 4u);
        server.takeClientFinish(peer.records[1], peer.records[2], peer.records[3]);
        receive(server.changeCipherSpec());
        receive(server.finished());
    }

    void handshake(uint8_t suite = 4) {
        server.sha1Mac = suite == 5;
        startWith(flight(suite));
        finish();
        ASSERT_TRUE(client.established());
    }

    TempDir dir;
    FixedClock clock;
    CodePageTable codePage;
    Settings settings;
    TrafficLog log{clock, codePage, settings};
    RecordingUi ui;
    RecordingPeer peer;
    SslClient client{settings, log, ui, peer};
    const TestRsaKey& key = TestRsaKey::shared();
    ScriptedServer server;
};

TEST_F(SslClientTest, ClientHelloIsFortyFiveBytesOfferingRc4WithMd5) {
    client.startHandshake();
    ASSERT_EQ(peer.records.size(), 1u);
    const Bytes& record = peer.records[0];
    ASSERT_EQ(record.size(), 50u);
    const Bytes random(record.begin() + 11, record.begin() + 43);
    const Bytes expected = concat(
        {Bytes{22, 3, 0, 0, 45, 1, 0, 0, 41, 3, 0}, random, Bytes{0, 0, 2, 0x00, 0x04, 1, 0}});
    EXPECT_EQ(record, expected);
    EXPECT_FALSE(client.established());

    client.startHandshake();
    ASSERT_EQ(peer.records.size(), 2u);
    EXPECT_NE(Bytes(peer.records[1].begin() + 11, peer.records[1].begin() + 43), random);
}

TEST_F(SslClientTest, FullHandshakeWithRc4Md5AndTheCertificateKey) {
    startWith(flight(4));
    ASSERT_EQ(peer.records.size(), 4u);
    // The ClientKeyExchange carries 128 encrypted bytes after the header 16, 0, 0, 128.
    EXPECT_EQ(Bytes(peer.records[1].begin(), peer.records[1].begin() + 9),
              (Bytes{22, 3, 0, 0, 132, 16, 0, 0, 128}));
    // The Finished record: 36 bytes and a 16-byte MAC.
    EXPECT_EQ(peer.records[3].size(), 5u + 4 + 36 + 16);
    server.takeClientFinish(peer.records[1], peer.records[2], peer.records[3]);
    ASSERT_FALSE(HasFailure());

    // Everything up to the client's Finished, entry by entry.
    const Bytes clientFinished(server.transcript.end() - 40, server.transcript.end());
    const Bytes finishedMac =
        test_support::recordMac(false, server.clientMacSecret, 0, 22, clientFinished);
    Bytes reversedModulus(key.modulus.rbegin(), key.modulus.rend());
    const std::vector<std::string> expected = {
        "SERVERHELLO",
        "SSL_RSA_WITH_RC4_128_MD5",
        "CERTIFICATE",
        "SERVERHELLODONE",
        "PC (premaster secret):" + hex(server.preMaster),
        "PC (RSA exp): 02 00 01 00 01 00",
        "PC (RSA mod):" + hex(concat({Bytes{64, 0}, reversedModulus})),
        "PC (client random):" + hex(server.clientRandom),
        "PC (server random):" + hex(server.serverRandom),
        "PC (master secret):" + hex(server.master),
        "PC (key material):" + hex(Bytes(server.keyBlock.begin(), server.keyBlock.begin() + 72)),
        "PC (not crypted):" + hex(plainRecord(22, concat({clientFinished, finishedMac}))),
    };
    EXPECT_EQ(logItems(), expected);

    clearLog();
    receive(server.changeCipherSpec());
    EXPECT_FALSE(client.established());
    const Bytes serverFinished = server.finished();
    receive(serverFinished);
    EXPECT_TRUE(client.established());
    const Bytes finishedBody = server.finishedBody({0x53, 0x52, 0x56, 0x52});
    const Bytes serverMac = test_support::recordMac(
        false, server.serverMacSecret, 0, 22, test_support::handshakeMessage(20, finishedBody));
    const std::vector<std::string> afterward = {
        "change cipher",
        "serv mac check (server mac):" + hex(serverMac),
        "serv mac check (calculated mac):" + hex(serverMac),
        "IBM (decrypted):" +
            hex(concat({Bytes(serverFinished.begin(), serverFinished.begin() + 5),
                        test_support::handshakeMessage(20, finishedBody), serverMac})),
        "FINISHED from as/400",
    };
    EXPECT_EQ(logItems(), afterward);

    // Application data both ways; the client's next record is numbered 1.
    receive(server.record(23, text("host screen")));
    EXPECT_EQ(peer.plaintext, text("host screen"));
    send(text("reply"));
    ASSERT_EQ(peer.records.size(), 5u);
    EXPECT_EQ(server.openClientRecord(peer.records[4]), text("reply"));
    EXPECT_EQ(server.lastClientType, 23);
    EXPECT_EQ(server.clientSequence, 2u);
    EXPECT_EQ(ui.calls, std::vector<std::string>{});
    EXPECT_EQ(peer.ends, 0);
}

TEST_F(SslClientTest, ServerKeyExchangeKeyWinsOverTheCertificateAndSuiteFiveUsesSha1) {
    server.sha1Mac = true;
    // The certificate carries a key nobody holds; only the key-exchange key
    // lets the server decrypt.
    const Bytes otherModulus(128, 0xE7);
    startWith(concat(
        {test_support::serverHello(server.serverRandom, 0, 5),
         test_support::certificateMessage(test_support::certificateFor(otherModulus, {1, 0, 1})),
         test_support::serverKeyExchange(key.modulus, key.exponent),
         test_support::serverHelloDone()}));
    ASSERT_EQ(peer.records.size(), 4u);
    EXPECT_EQ(peer.records[3].size(), 5u + 4 + 36 + 20);
    finish();
    EXPECT_TRUE(client.established());
    const auto items = logItems();
    EXPECT_NE(std::find(items.begin(), items.end(), "SSL_RSA_WITH_RC4_128_SHA"), items.end());
    EXPECT_NE(std::find(items.begin(), items.end(), "serverkeyexchange"), items.end());

    receive(server.record(23, text("over sha")));
    EXPECT_EQ(peer.plaintext, text("over sha"));
    send(text("back"));
    ASSERT_EQ(peer.records.size(), 5u);
    EXPECT_EQ(server.openClientRecord(peer.records[4]), text("back"));
}

TEST_F(SslClientTest, SuitesOtherThanFourAndFiveAreRefused) {
    struct Case {
        uint8_t high, low;
    };
    for (const Case c : {Case{0x00, 0x09}, Case{0x00, 0x03}, Case{0x01, 0x04}, Case{0x00, 0x00}}) {
        SCOPED_TRACE(testing::Message() << int(c.high) << "," << int(c.low));
        peer.records.clear();
        clearLog();
        startWith(concat({test_support::serverHello(server.serverRandom, c.high, c.low),
                          test_support::serverKeyExchange(key.modulus, key.exponent),
                          test_support::serverHelloDone()}));
        // The alert, and nothing more: the rest of the record is left.
        ASSERT_EQ(peer.records.size(), 2u);
        EXPECT_EQ(peer.records[1], kHandshakeFailure);
        EXPECT_EQ(logItems(), (std::vector<std::string>{"SERVERHELLO", "unknown cipher"}));
    }
}

TEST_F(SslClientTest, ShortServerHelloIsRefused) {
    startWith(test_support::handshakeMessage(2, Bytes(34, 3)));
    ASSERT_EQ(peer.records.size(), 2u);
    EXPECT_EQ(peer.records[1], kHandshakeFailure);
}

TEST_F(SslClientTest, ServerMessagesAnsweredWithAlerts) {
    struct Case {
        uint8_t type;
        std::string line;
        Bytes alert;
    };
    const std::vector<Case> cases = {
        {0, "AS400 sends hello request. We reply with handshake error", kHandshakeFailure},
        {13, "AS400 sends certificate request. We reply with nocertificate alert", kNoCertificate},
        {15, "AS400 sends certificate verify request. We reply with handshake error",
         kHandshakeFailure},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        peer.records.clear();
        clearLog();
        startWith(test_support::handshakeMessage(c.type, {}));
        ASSERT_EQ(peer.records.size(), 2u);
        EXPECT_EQ(peer.records[1], c.alert);
        EXPECT_EQ(logItems(), std::vector<std::string>{c.line});
    }
}

TEST_F(SslClientTest, CertificateRequestGetsNoCertificateAndTheHandshakeGoesOn) {
    startWith(concat(
        {test_support::serverHello(server.serverRandom, 0, 4),
         test_support::certificateMessage(test_support::certificateFor(key.modulus, key.exponent)),
         test_support::handshakeMessage(13, {1, 1, 0, 0}), test_support::serverHelloDone()}));
    ASSERT_EQ(peer.records.size(), 5u);
    EXPECT_EQ(peer.records[1], kNoCertificate);
    peer.records.erase(peer.records.begin() + 1);
    finish();
    EXPECT_TRUE(client.established());
}

TEST_F(SslClientTest, MessagesThatStopTheRecord) {
    struct Case {
        uint8_t type;
        std::string line;
    };
    const std::vector<Case> cases = {
        {1, "unexpected CLIENTHELLO"},
        {0x63, "unknown handshake 63"},
        {0x1a, "unknown handshake 1a"},
        {16, "unknown handshake 10"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        peer.records.clear();
        clearLog();
        // The HelloRequest after it would be answered, were it reached.
        startWith(concat({test_support::handshakeMessage(c.type, {1, 2, 3}),
                          test_support::handshakeMessage(0, {})}));
        EXPECT_EQ(peer.records.size(), 1u);
        EXPECT_EQ(logItems(), std::vector<std::string>{c.line});
    }
}

TEST_F(SslClientTest, MessageRunningPastTheRecordIsNotHandled) {
    Bytes hello = test_support::handshakeMessage(0, {});
    hello[3] = 1;  // one body byte that is not there
    startWith(hello);
    EXPECT_EQ(peer.records.size(), 1u);
    EXPECT_EQ(logItems(), std::vector<std::string>{});
}

TEST_F(SslClientTest, CertificateOverFiveThousandBytesStallsTheHandshake) {
    struct Case {
        size_t size;
        std::vector<std::string> lines;
        std::vector<Bytes> sent;
    };
    // A certificate within the limit is kept; this one holds no key, so the
    // key exchange refuses it.
    const std::vector<Case> cases = {
        {6000, {"CERTIFICATE", "CERTIFICATE unlegal format"}, {}},
        {5001, {"CERTIFICATE", "CERTIFICATE unlegal format"}, {}},
        {5000, {"CERTIFICATE", "SERVERHELLODONE"}, {kCertificateUnknown}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        peer.records.clear();
        clearLog();
        startWith(concat({test_support::certificateMessage(Bytes(c.size, 0x30)),
                          test_support::serverHelloDone()}));
        EXPECT_EQ(logItems(), c.lines);
        EXPECT_EQ(std::vector<Bytes>(peer.records.begin() + 1, peer.records.end()), c.sent);
    }
}

TEST_F(SslClientTest, ModulusSizesTheKeyExchangeAccepts) {
    struct Case {
        size_t modulusBytes;
        bool accepted;
    };
    // PKCS#1 v1.5 needs 11 bytes beside the 48-byte secret; the block area holds 256.
    for (const Case c : {Case{512, false}, Case{257, false}, Case{256, true}, Case{59, true},
                         Case{58, false}, Case{16, false}}) {
        SCOPED_TRACE(c.modulusBytes);
        peer.records.clear();
        clearLog();
        Bytes modulus(c.modulusBytes, 0xFF);  // odd, so a usable modulus for the arithmetic
        startWith(concat(
            {test_support::certificateMessage(test_support::certificateFor(modulus, {1, 0, 1})),
             test_support::serverHelloDone()}));
        if (!c.accepted) {
            EXPECT_EQ(std::vector<Bytes>(peer.records.begin() + 1, peer.records.end()),
                      std::vector<Bytes>{kCertificateUnknown});
            continue;
        }
        ASSERT_EQ(peer.records.size(), 4u);
        const size_t k = c.modulusBytes;
        EXPECT_EQ(peer.records[1].size(), 5 + 4 + k);
        EXPECT_EQ(Bytes(peer.records[1].begin() + 5, peer.records[1].begin() + 9),
                  (Bytes{16, 0, static_cast<uint8_t>(k >> 8), static_cast<uint8_t>(k)}));
        EXPECT_EQ(peer.records[2], (Bytes{20, 3, 0, 0, 1, 1}));
    }
}

TEST_F(SslClientTest, BadServerKeyExchangeIsRefused) {
    const Bytes big(256, 0xFF);
    Bytes runsPast = test_support::serverKeyExchange(key.modulus, key.exponent);
    runsPast.resize(4 + 2 + 128 + 2 + 1);  // the exponent is cut short
    runsPast[3] = static_cast<uint8_t>(runsPast.size() - 4);
    for (const Bytes& message : {test_support::serverKeyExchange(big, {1, 0, 1}),
                                 test_support::serverKeyExchange(key.modulus, big), runsPast}) {
        peer.records.clear();
        clearLog();
        startWith(concat({message, test_support::serverHelloDone()}));
        EXPECT_EQ(std::vector<Bytes>(peer.records.begin() + 1, peer.records.end()),
                  std::vector<Bytes>{kHandshakeFailure});
        EXPECT_EQ(logItems(), std::vector<std::string>{"serverkeyexchange"});
    }
}

TEST_F(SslClientTest, WithoutAnyKeyNothingIsSent) {
    startWith(concat(
        {test_support::serverHello(server.serverRandom, 0, 4), test_support::serverHelloDone()}));
    EXPECT_EQ(peer.records.size(), 1u);
    EXPECT_FALSE(client.established());
}

TEST_F(SslClientTest, ACertificateOfAnEarlierConnectionIsNotUsed) {
    handshake();
    peer.records.clear();
    startWith(concat(
        {test_support::serverHello(server.serverRandom, 0, 4), test_support::serverHelloDone()}));
    EXPECT_EQ(peer.records.size(), 1u);
}

TEST_F(SslClientTest, ServerFinishedIsVerified) {
    struct Case {
        std::string name;
        int change;  // what is done to the server's Finished
    };
    for (const Case& c : {Case{"flipped bit", 0}, Case{"35 bytes", 1}, Case{"over CLNT", 2}}) {
        SCOPED_TRACE(c.name);
        peer = RecordingPeer{};
        ui.calls.clear();
        server = ScriptedServer{};
        startWith(flight());
        ASSERT_EQ(peer.records.size(), 4u);
        server.takeClientFinish(peer.records[1], peer.records[2], peer.records[3]);
        receive(server.changeCipherSpec());
        clearLog();
        Bytes body = server.finishedBody({0x53, 0x52, 0x56, 0x52});
        if (c.change == 0) {
            body[20] ^= 0x01;
        } else if (c.change == 1) {
            body.pop_back();
        } else {
            body = server.finishedBody({0x43, 0x4C, 0x4E, 0x54});
        }
        receive(server.record(22, test_support::handshakeMessage(20, body)));
        EXPECT_FALSE(client.established());
        EXPECT_EQ(ui.calls, std::vector<std::string>{kWrongFinishedText});
        EXPECT_EQ(peer.ends, 1);
        const auto items = logItems();
        ASSERT_GE(items.size(), 2u);
        EXPECT_EQ(items[items.size() - 2], "FINISHED from as/400");
        EXPECT_EQ(items.back(), "wrong Finished from as/400");
        // Nothing more is taken from this session.
        receive(server.record(23, text("late")));
        EXPECT_EQ(peer.plaintext, Bytes{});
        EXPECT_EQ(peer.ends, 1);
    }
}

TEST_F(SslClientTest, FinishedBeforeTheKeysIsWrong) {
    startWith(concat({test_support::serverHello(server.serverRandom, 0, 4),
                      test_support::handshakeMessage(20, Bytes(36))}));
    EXPECT_EQ(ui.calls, std::vector<std::string>{kWrongFinishedText});
    EXPECT_EQ(peer.ends, 1);
}

TEST_F(SslClientTest, SecondServerFinishedEndsTheSession) {
    handshake();
    receive(server.finished());
    EXPECT_EQ(ui.calls, std::vector<std::string>{kWrongFinishedText});
    EXPECT_EQ(peer.ends, 1);
}

TEST_F(SslClientTest, WrongMacEndsTheSessionAndDropsThePlaintext) {
    struct Case {
        uint8_t suite;
        std::string line;
        size_t corrupt;  // byte of the record to change, from the end
    };
    for (const Case& c : {Case{4, "wrong Mac from Host\t", 1}, Case{5, "wrong Mac from as/400", 1},
                          Case{4, "wrong Mac from Host\t", 20}}) {
        SCOPED_TRACE(c.line);
        peer = RecordingPeer{};
        ui.calls.clear();
        server = ScriptedServer{};
        handshake(c.suite);
        clearLog();
        Bytes record = server.record(23, text("screen data here, 25 bytes"));
        record[record.size() - c.corrupt] ^= 0x80;
        receive(record);
        EXPECT_EQ(peer.plaintext, Bytes{});
        EXPECT_EQ(ui.calls, std::vector<std::string>{kWrongMacText});
        EXPECT_EQ(peer.ends, 1);
        EXPECT_FALSE(client.established());
        const auto items = logItems();
        ASSERT_EQ(items.size(), 4u);
        EXPECT_EQ(items[0], "user data from as/400");
        EXPECT_EQ(items[1].rfind("serv mac check (server mac):", 0), 0u);
        EXPECT_EQ(items[2].rfind("serv mac check (calculated mac):", 0), 0u);
        EXPECT_EQ(items[3], c.line);
        // The rest of the received data is dropped, and nothing more is sent.
        receive(server.record(23, text("more")));
        send(text("key"));
        EXPECT_EQ(peer.plaintext, Bytes{});
        EXPECT_EQ(peer.ends, 1);
        EXPECT_EQ(peer.records.size(), 4u);
    }
}

TEST_F(SslClientTest, AlertsReceived) {
    handshake();
    clearLog();
    receive(server.record(21, {1, 0}));
    EXPECT_EQ(peer.ends, 0);
    EXPECT_EQ(ui.calls, std::vector<std::string>{});
    EXPECT_TRUE(logHas("alert from AS/400 level 1 , type 0"));
    EXPECT_TRUE(logHas("SSL ALERT:"));

    receive(server.record(21, {2, 20}));
    EXPECT_TRUE(logHas("alert from AS/400 level 2 , type 20"));
    EXPECT_EQ(ui.calls, std::vector<std::string>{
                            "text Host sends SSL Security Alert type 20. Session MUST terminate"});
    EXPECT_EQ(peer.ends, 1);
}

TEST_F(SslClientTest, FatalAlertInClearDuringTheHandshake) {
    client.startHandshake();
    receive(plainRecord(21, {2, 40}));
    EXPECT_EQ(logItems(),
              (std::vector<std::string>{"SSL ALERT:", "alert from AS/400 level 2 , type 40"}));
    EXPECT_EQ(ui.calls, std::vector<std::string>{
                            "text Host sends SSL Security Alert type 40. Session MUST terminate"});
    EXPECT_EQ(peer.ends, 1);
}

TEST_F(SslClientTest, RecordOverTheLimitEndsTheSession) {
    handshake();
    // 16384 + 2048 bytes of fragment pass; one more does not.
    const Bytes atLimit = server.record(23, Bytes(16384 + 2048 - 16, 'x'));
    ASSERT_EQ(atLimit.size(), 5u + 16384 + 2048);
    receive(atLimit);
    EXPECT_EQ(peer.plaintext.size(), 16384u + 2048 - 16);
    EXPECT_EQ(peer.ends, 0);

    clearLog();
    receive(server.record(23, Bytes(16384 + 2048 - 15, 'x')));
    EXPECT_EQ(ui.calls,
              std::vector<std::string>{
                  "text Host sends an SSL record that is too long. Session MUST terminate"});
    EXPECT_EQ(peer.ends, 1);
    EXPECT_EQ(peer.plaintext.size(), 16384u + 2048 - 16);
    EXPECT_EQ(logItems(), std::vector<std::string>{"record too long from as/400"});
}

TEST_F(SslClientTest, LongSendIsSplitIntoRecords) {
    handshake(5);
    Bytes data(40000);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 7);
    }
    send(data);
    ASSERT_EQ(peer.records.size(), 7u);
    Bytes joined;
    for (size_t r = 4; r < 7; ++r) {
        const Bytes piece = server.openClientRecord(peer.records[r]);
        EXPECT_EQ(piece.size(), r < 6 ? 16384u : 40000u - 2 * 16384);
        joined.insert(joined.end(), piece.begin(), piece.end());
    }
    EXPECT_EQ(joined, data);
}

TEST_F(SslClientTest, DataHandedOverBeforeTheHandshakeEndsIsHeld) {
    startWith(flight());
    send(text("early"));
    ASSERT_EQ(peer.records.size(), 4u);
    finish();
    ASSERT_TRUE(client.established());
    ASSERT_EQ(peer.records.size(), 5u);
    EXPECT_EQ(server.openClientRecord(peer.records[4]), text("early"));
    EXPECT_EQ(server.lastClientType, 23);
}

TEST_F(SslClientTest, ApplicationDataBeforeTheHandshakeEndsIsNotDelivered) {
    client.startHandshake();
    receive(plainRecord(23, text("injected")));
    EXPECT_EQ(peer.plaintext, Bytes{});
    EXPECT_EQ(logItems(), std::vector<std::string>{"user data from as/400"});
}

TEST_F(SslClientTest, ServerFlightInTwoRecordsAndAnUnknownContentTypeIgnored) {
    client.startHandshake();
    server.takeClientHello(peer.records[0]);
    receive(plainRecord(24, {1, 2, 3}));
    receive(server.handshake(test_support::serverHello(server.serverRandom, 0, 4)));
    EXPECT_EQ(peer.records.size(), 1u);
    receive(server.handshake(concat(
        {test_support::certificateMessage(test_support::certificateFor(key.modulus, key.exponent)),
         test_support::serverHelloDone()})));
    finish();
    EXPECT_TRUE(client.established());
}

TEST_F(SslClientTest, ResetForgetsTheSession) {
    handshake();
    client.reset();
    EXPECT_FALSE(client.established());
    send(text("held"));
    EXPECT_EQ(peer.records.size(), 4u);
    // A new handshake starts from the ClientHello and sends nothing held before it.
    client.startHandshake();
    EXPECT_EQ(peer.records.size(), 5u);
    EXPECT_EQ(peer.records[4].size(), 50u);
}

}  // namespace
}  // namespace kestrel
