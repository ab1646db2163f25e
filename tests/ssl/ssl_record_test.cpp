// The record layer on its own: framing in clear, the SSL 3.0 MAC against one
// written out with OpenSSL's digests, RC4 against OpenSSL's, sequence
// numbers, the split of long data, and the received records it ignores or
// refuses.
#include "ssl/ssl_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/traffic_log.h"
#include "scripted_ssl_server.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using test_support::Bytes;
using test_support::concat;
using test_support::hex;
using test_support::OpenSslRc4;
using test_support::plainRecord;
using test_support::TempDir;

class FixedClock : public Clock {
  public:
    std::time_t now() const override { return 1796883178; }
};

struct Sink : RecordSink {
    void writeRecord(const uint8_t* record, size_t length) override {
        records.emplace_back(record, record + length);
    }
    std::vector<Bytes> records;
};

Bytes pattern(size_t length, uint8_t seed) {
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<uint8_t>(seed + i * 13);
    }
    return bytes;
}

class RecordLayerTest : public ::testing::Test {
  protected:
    RecordLayerTest() {
        log.open(dir.file("traffic.log"));
        log.setSessionLive(true);
    }
    std::vector<std::string> logItems() const {
        return test_support::readLogItems(TempDir::read(dir.file("traffic.log")));
    }
    void clearLog() { log.open(dir.file("traffic.log")); }

    // Keys for both sides; the test's own RC4 states follow the same keys.
    void protect(MacAlgorithm algorithm) {
        records.setMacAlgorithm(algorithm);
        const size_t m = macLength(algorithm);
        clientSecret = pattern(m, 1);
        serverSecret = pattern(m, 2);
        std::copy(clientSecret.begin(), clientSecret.end(), records.client().macSecret);
        std::copy(serverSecret.begin(), serverSecret.end(), records.server().macSecret);
        records.client().cipher.setKey(pattern(16, 3).data(), 16);
        records.server().cipher.setKey(pattern(16, 4).data(), 16);
        clientCipher.setKey(pattern(16, 3));
        serverCipher.setKey(pattern(16, 4));
        records.client().active = true;
        records.server().active = true;
    }

    Bytes serverRecord(uint8_t type, const Bytes& data, uint32_t sequence, bool sha1) {
        const Bytes mac = test_support::recordMac(sha1, serverSecret, sequence, type, data);
        return plainRecord(type, serverCipher.crypt(concat({data, mac})));
    }

    TempDir dir;
    FixedClock clock;
    CodePageTable codePage;
    Settings settings;
    TrafficLog log{clock, codePage, settings};
    Sink sink;
    SslRecordLayer records{log, sink};
    Bytes clientSecret, serverSecret;
    OpenSslRc4 clientCipher, serverCipher;
};

TEST_F(RecordLayerTest, ClearRecordsAreFramedAndNumbered) {
    records.send(ContentType::Handshake, Bytes{'a', 'b', 'c'}.data(), 3);
    records.send(ContentType::ChangeCipherSpec, Bytes{1}.data(), 1);
    EXPECT_EQ(sink.records,
              (std::vector<Bytes>{{22, 3, 0, 0, 3, 'a', 'b', 'c'}, {20, 3, 0, 0, 1, 1}}));
    EXPECT_EQ(records.client().sequence, 2u);
    EXPECT_EQ(logItems(), std::vector<std::string>{});
}

TEST_F(RecordLayerTest, RecordMacMatchesTheWrittenOutConstruction) {
    struct Case {
        MacAlgorithm algorithm;
        uint32_t sequence;
        uint8_t type;
        size_t length;
    };
    for (const Case c :
         {Case{MacAlgorithm::Md5, 0, 23, 0}, Case{MacAlgorithm::Md5, 1, 22, 5},
          Case{MacAlgorithm::Md5, 0x01020304, 21, 300}, Case{MacAlgorithm::Sha1, 0, 23, 1},
          Case{MacAlgorithm::Sha1, 0xFFFFFFFF, 22, 16384}}) {
        const bool sha1 = c.algorithm == MacAlgorithm::Sha1;
        SCOPED_TRACE(testing::Message() << sha1 << " " << c.sequence << " " << c.length);
        const Bytes secret = pattern(macLength(c.algorithm), 9);
        const Bytes data = pattern(c.length, 5);
        Bytes mac(macLength(c.algorithm));
        computeRecordMac(c.algorithm, secret.data(), c.sequence, c.type, data.data(), data.size(),
                         mac.data());
        EXPECT_EQ(mac, test_support::recordMac(sha1, secret, c.sequence, c.type, data));
    }
}

TEST_F(RecordLayerTest, ProtectedRecordsCarryMacAndAreEncrypted) {
    for (const MacAlgorithm algorithm : {MacAlgorithm::Md5, MacAlgorithm::Sha1}) {
        const bool sha1 = algorithm == MacAlgorithm::Sha1;
        SCOPED_TRACE(sha1);
        sink.records.clear();
        clearLog();
        protect(algorithm);
        // The first protected record after a ChangeCipherSpec is numbered 0.
        records.client().sequence = 0xFFFFFFFF;
        const Bytes first = {'o', 'n', 'e'};
        const Bytes second = pattern(100, 7);
        records.send(ContentType::Handshake, first.data(), first.size());
        records.send(ContentType::ApplicationData, second.data(), second.size());
        records.send(ContentType::ApplicationData, second.data(), second.size());
        ASSERT_EQ(sink.records.size(), 3u);
        const uint32_t sequences[] = {0xFFFFFFFF, 0, 1};
        const Bytes* data[] = {&first, &second, &second};
        std::vector<std::string> expectedLog;
        for (size_t r = 0; r < 3; ++r) {
            const Bytes& record = sink.records[r];
            const uint8_t type = record[0];
            const Bytes mac =
                test_support::recordMac(sha1, clientSecret, sequences[r], type, *data[r]);
            const Bytes clear = plainRecord(type, concat({*data[r], mac}));
            expectedLog.push_back("PC (not crypted):" + hex(clear));
            EXPECT_EQ(Bytes(record.begin(), record.begin() + 5),
                      Bytes(clear.begin(), clear.begin() + 5));
            EXPECT_EQ(clientCipher.crypt(Bytes(record.begin() + 5, record.end())),
                      Bytes(clear.begin() + 5, clear.end()));
        }
        EXPECT_EQ(logItems(), expectedLog);
        EXPECT_EQ(records.client().sequence, 2u);
    }
}

TEST_F(RecordLayerTest, LongDataIsSplitIntoRecordsOfAtMost16384Bytes) {
    struct Case {
        size_t length;
        std::vector<size_t> pieces;
    };
    const std::vector<Case> cases = {
        {0, {0}}, {1, {1}}, {16384, {16384}}, {16385, {16384, 1}}, {40000, {16384, 16384, 7232}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        sink.records.clear();
        records.client().sequence = 0;
        const Bytes data = pattern(c.length, 3);
        records.send(ContentType::ApplicationData, data.data(), data.size());
        ASSERT_EQ(sink.records.size(), c.pieces.size());
        Bytes joined;
        for (size_t r = 0; r < c.pieces.size(); ++r) {
            const Bytes& record = sink.records[r];
            EXPECT_EQ(record.size(), 5 + c.pieces[r]);
            EXPECT_EQ(static_cast<size_t>(record[3]) << 8 | record[4], c.pieces[r]);
            joined.insert(joined.end(), record.begin() + 5, record.end());
        }
        EXPECT_EQ(joined, data);
        EXPECT_EQ(records.client().sequence, c.pieces.size());
    }
}

TEST_F(RecordLayerTest, ReceivedRecordsInClear) {
    struct Case {
        Bytes record;
        RecordStatus status;
        Bytes plaintext;
        std::vector<std::string> log;
        uint32_t sequence;  // the server's afterwards, from 5
    };
    const std::vector<Case> cases = {
        {plainRecord(23, {'h', 'i'}),
         RecordStatus::ApplicationData,
         {'h', 'i'},
         {"user data from as/400"},
         6},
        {plainRecord(22, {14, 0, 0, 0}), RecordStatus::Handshake, {14, 0, 0, 0}, {}, 6},
        {plainRecord(21, {1, 100}),
         RecordStatus::WarningAlert,
         {},
         {"SSL ALERT:", "alert from AS/400 level 1 , type 100"},
         6},
        {plainRecord(21, {2, 10}),
         RecordStatus::FatalAlert,
         {},
         {"SSL ALERT:", "alert from AS/400 level 2 , type 10"},
         6},
        {plainRecord(21, {0, 0}),
         RecordStatus::FatalAlert,
         {},
         {"SSL ALERT:", "alert from AS/400 level 0 , type 0"},
         6},
        {plainRecord(21, {1}), RecordStatus::Ignored, {}, {"SSL ALERT:"}, 6},
        {plainRecord(24, {1, 2}), RecordStatus::Ignored, {}, {}, 5},
        {plainRecord(0, {}), RecordStatus::Ignored, {}, {}, 5},
        {{23, 3, 0}, RecordStatus::Ignored, {}, {}, 5},
        {plainRecord(20, {1}), RecordStatus::ChangeCipherSpec, {}, {"change cipher"}, 0},
        {plainRecord(23, Bytes(16384 + 2048, 'x')),
         RecordStatus::ApplicationData,
         Bytes(16384 + 2048, 'x'),
         {"user data from as/400"},
         6},
        {plainRecord(23, Bytes(16384 + 2049, 'x')),
         RecordStatus::TooLong,
         {},
         {"record too long from as/400"},
         5},
        // The header's length counts as well.
        {{23, 3, 0, 0x48, 0x01, 'x'},
         RecordStatus::TooLong,
         {},
         {"record too long from as/400"},
         5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(
            hex(Bytes(c.record.begin(), c.record.begin() + std::min<size_t>(6, c.record.size()))));
        clearLog();
        records.server().active = false;
        records.server().sequence = 5;
        Bytes record = c.record;
        const RecordStatus status = records.receive(record.data(), record.size());
        EXPECT_EQ(status, c.status);
        if (status == RecordStatus::Handshake || status == RecordStatus::ApplicationData) {
            EXPECT_EQ(Bytes(records.plaintext(), records.plaintext() + records.plaintextLength()),
                      c.plaintext);
        }
        EXPECT_EQ(logItems(), c.log);
        EXPECT_EQ(records.server().sequence, c.sequence);
        EXPECT_EQ(records.server().active, c.status == RecordStatus::ChangeCipherSpec);
        if (status == RecordStatus::FatalAlert || status == RecordStatus::WarningAlert) {
            EXPECT_EQ(records.alertDescription(), c.record[6]);
        }
    }
}

TEST_F(RecordLayerTest, ProtectedRecordsAreCheckedAndDecrypted) {
    for (const MacAlgorithm algorithm : {MacAlgorithm::Md5, MacAlgorithm::Sha1}) {
        const bool sha1 = algorithm == MacAlgorithm::Sha1;
        SCOPED_TRACE(sha1);
        protect(algorithm);
        records.server().sequence = 0;
        clearLog();
        const Bytes data = pattern(40, 1);
        const Bytes record = serverRecord(23, data, 0, sha1);
        Bytes received = record;
        ASSERT_EQ(records.receive(received.data(), received.size()), RecordStatus::ApplicationData);
        EXPECT_EQ(Bytes(records.plaintext(), records.plaintext() + records.plaintextLength()),
                  data);
        const Bytes mac = test_support::recordMac(sha1, serverSecret, 0, 23, data);
        EXPECT_EQ(logItems(),
                  (std::vector<std::string>{
                      "user data from as/400", "serv mac check (server mac):" + hex(mac),
                      "serv mac check (calculated mac):" + hex(mac),
                      "IBM (decrypted):" + hex(plainRecord(23, concat({data, mac})))}));

        // An encrypted alert is numbered like every other record.
        Bytes alert = serverRecord(21, {1, 0}, 1, sha1);
        EXPECT_EQ(records.receive(alert.data(), alert.size()), RecordStatus::WarningAlert);

        // The same bytes again carry the wrong number: the MAC does not match.
        clearLog();
        Bytes replayed = serverRecord(23, data, 0, sha1);
        EXPECT_EQ(records.receive(replayed.data(), replayed.size()), RecordStatus::BadMac);
        EXPECT_EQ(records.plaintextLength(), 0u);
        const auto items = logItems();
        ASSERT_EQ(items.size(), 4u);
        EXPECT_EQ(items[3], sha1 ? "wrong Mac from as/400" : "wrong Mac from Host\t");
    }
}

TEST_F(RecordLayerTest, FragmentShorterThanTheMacIsAMacFailure) {
    protect(MacAlgorithm::Md5);
    for (size_t length : {0, 1, 15}) {
        SCOPED_TRACE(length);
        clearLog();
        Bytes record = plainRecord(22, Bytes(length, 0x11));
        EXPECT_EQ(records.receive(record.data(), record.size()), RecordStatus::BadMac);
        EXPECT_EQ(logItems(), std::vector<std::string>{"wrong Mac from Host\t"});
    }
}

TEST_F(RecordLayerTest, ConstantTimeComparison) {
    const Bytes a = pattern(20, 1);
    Bytes b = a;
    EXPECT_TRUE(equalInConstantTime(a.data(), b.data(), 20));
    EXPECT_TRUE(equalInConstantTime(a.data(), b.data(), 0));
    for (size_t i : {0, 7, 19}) {
        b = a;
        b[i] ^= 0x40;
        EXPECT_FALSE(equalInConstantTime(a.data(), b.data(), 20)) << i;
    }
}

TEST_F(RecordLayerTest, ResetClearsBothSides) {
    protect(MacAlgorithm::Sha1);
    records.client().sequence = 9;
    records.reset();
    EXPECT_FALSE(records.client().active);
    EXPECT_FALSE(records.server().active);
    EXPECT_EQ(records.client().sequence, 0u);
    EXPECT_EQ(records.macAlgorithm(), MacAlgorithm::Md5);
    records.send(ContentType::Alert, Bytes{1, 0}.data(), 2);
    EXPECT_EQ(sink.records.back(), (Bytes{21, 3, 0, 0, 2, 1, 0}));
}

}  // namespace
}  // namespace kestrel
