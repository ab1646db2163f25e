#include "demo_host/telnet_server.h"

#include <gtest/gtest.h>

#include "demo_host/inbound_record.h"
#include "host_harness.h"

namespace kestrel::demo_host {
namespace {

using test::Bytes;
using Kind = TelnetEvent::Kind;

std::vector<TelnetEvent> feed(TelnetServer& telnet, const Bytes& bytes) {
    return telnet.receive(bytes);
}

TEST(TelnetServer, RecordsAreCutAtEndOfRecordAndUndoubledAcrossSegments) {
    TelnetServer telnet;
    EXPECT_TRUE(feed(telnet, {0x7D, 0xFF}).empty());
    const auto events = feed(telnet, {0xFF, 0xFF, 0xEF, 0xFF, 0xEF, 0x6C, 0xFF});
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, Kind::Record);
    EXPECT_EQ(events[0].data, (Bytes{0x7D, 0xFF}));
    EXPECT_TRUE(events[1].data.empty());  // IAC EOR IAC EOR: an empty record
    const auto last = feed(telnet, {0xEF});
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0].data, (Bytes{0x6C}));
}

TEST(TelnetServer, OutboundRecordsDoubleIacAndEndWithEor) {
    TelnetServer telnet;
    telnet.sendRecord(Bytes{0xF3, 0x00, 0x05, 0x01, 0xFF, 0x02});
    EXPECT_EQ(telnet.takeOutput(), (Bytes{0xF3, 0x00, 0x05, 0x01, 0xFF, 0xFF, 0x02, 0xFF, 0xEF}));
    EXPECT_TRUE(telnet.takeOutput().empty());
}

TEST(TelnetServer, RefusesOptionsItDoesNotKnowEveryTime) {
    TelnetServer telnet;
    feed(telnet, {0xFF, kDo, 42, 0xFF, kWill, 42, 0xFF, kDo, 6, 0xFF, kDo, 6});
    EXPECT_EQ(telnet.takeOutput(),
              (Bytes{0xFF, kWont, 42, 0xFF, kDont, 42, 0xFF, kWont, 6, 0xFF, kWont, 6}));
    // A client asking the host for its terminal type is refused too.
    feed(telnet, {0xFF, kDo, kOptionTerminalType});
    EXPECT_EQ(telnet.takeOutput(), (Bytes{0xFF, kWont, kOptionTerminalType}));
}

TEST(TelnetServer, AnswersToItsOwnRequestsAreNotAnsweredAgain) {
    TelnetServer telnet;
    telnet.requestClientOption(kOptionEndOfRecord);
    telnet.requestHostOption(kOptionEndOfRecord);
    EXPECT_EQ(telnet.takeOutput(), (Bytes{0xFF, kDo, 25, 0xFF, kWill, 25}));
    feed(telnet, {0xFF, kWill, 25, 0xFF, kDo, 25, 0xFF, kWill, 25});
    EXPECT_TRUE(telnet.takeOutput().empty());
    EXPECT_EQ(telnet.clientOption(25), TelnetServer::State::Yes);
    EXPECT_EQ(telnet.hostOption(25), TelnetServer::State::Yes);
    // Switching off an agreed option is acknowledged once.
    feed(telnet, {0xFF, kWont, 25, 0xFF, kWont, 25});
    EXPECT_EQ(telnet.takeOutput(), (Bytes{0xFF, kDont, 25}));
    EXPECT_FALSE(telnet.clientRefused(25));
}

TEST(TelnetServer, UnaskedOffersOfTn3270OptionsAreAccepted) {
    TelnetServer telnet;
    feed(telnet, {0xFF, kWill, kOptionBinary, 0xFF, kDo, kOptionEndOfRecord});
    EXPECT_EQ(telnet.takeOutput(),
              (Bytes{0xFF, kDo, kOptionBinary, 0xFF, kWill, kOptionEndOfRecord}));
}

TEST(TelnetServer, RefusalOfARequestIsRemembered) {
    TelnetServer telnet;
    telnet.requestClientOption(kOptionTerminalType);
    telnet.takeOutput();
    const auto events = feed(telnet, {0xFF, kWont, kOptionTerminalType});
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::OptionChange);
    EXPECT_TRUE(telnet.clientRefused(kOptionTerminalType));
    EXPECT_TRUE(telnet.takeOutput().empty());
}

TEST(TelnetServer, TerminalTypeIsReadFromSubnegotiationWithDoubledIac) {
    TelnetServer telnet;
    const Bytes bytes = {0xFF, kSb, 24, 0, 'I', 'B', 'M', 0xFF, 0xFF, 0xFF, kSe, 0x7D};
    const auto events = feed(telnet, bytes);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::TerminalType);
    EXPECT_EQ(events[0].data, (Bytes{'I', 'B', 'M', 0xFF}));
    // The byte after IAC SE is data again.
    const auto record = feed(telnet, {0xFF, 0xEF});
    ASSERT_EQ(record.size(), 1u);
    EXPECT_EQ(record[0].data, (Bytes{0x7D}));
}

TEST(TelnetServer, BreakAndInterruptProcessAreReported) {
    TelnetServer telnet;
    const auto events = feed(telnet, {0xFF, kBreak, 0xFF, kInterruptProcess});
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, Kind::Command);
    EXPECT_EQ(events[0].code, kBreak);
    EXPECT_EQ(events[1].code, kInterruptProcess);
}

TEST(InboundRecord, ReadsTwelveAndFourteenBitAddressesAndSkipsSetAttribute) {
    // Enter, cursor 1919 (12-bit 5D 7F), a field at 335 in 12-bit form with an SA
    // inside, a field at 2000 in 14-bit form.
    const Bytes record = {0x7D, 0x5D, 0x7F, 0x11, 0xC5, 0x4F, 0xC1, 0x28,
                          0x42, 0xF2, 0xC2, 0x00, 0x11, 0x07, 0xD0, 0xF1};
    const InboundRecord in = parseInboundRecord(record);
    EXPECT_EQ(in.aid, kAidEnter);
    EXPECT_EQ(in.cursor, 1919);
    EXPECT_FALSE(in.malformed);
    EXPECT_EQ(in.field(335), "AB");
    EXPECT_EQ(in.field(2000), "1");
    EXPECT_FALSE(in.field(336).has_value());
}

TEST(InboundRecord, ShortReadAndCutOffOrder) {
    const InboundRecord pa = parseInboundRecord(Bytes{kAidPa2});
    EXPECT_TRUE(pa.shortRead);
    EXPECT_EQ(pa.aid, kAidPa2);
    const InboundRecord cut = parseInboundRecord(Bytes{0x7D, 0x40, 0x40, 0x11, 0x40});
    EXPECT_TRUE(cut.malformed);
    EXPECT_TRUE(cut.fields.empty());
}

TEST(InboundRecord, QueryReplyGivesUsableAreaAndAlternateSize) {
    Bytes reply = {0x88};
    const Bytes usableArea = {0x00, 0x17, 0x81, 0x81, 0x01, 0x00, 0x00, 0x50,
                              0x00, 0x18, 0x01, 0x00, 0x0A, 0x02, 0xE5, 0x00,
                              0x02, 0x00, 0x6F, 0x09, 0x0C, 0x0A, 0x00};
    const Bytes partition = {0x00, 0x11, 0x81, 0xA6, 0x00, 0x00, 0x0B, 0x01, 0x00,
                             0x00, 0x50, 0x00, 0x18, 0x00, 0x50, 0x00, 0x20};
    reply.insert(reply.end(), usableArea.begin(), usableArea.end());
    reply.insert(reply.end(), partition.begin(), partition.end());
    QueryReplySummary summary = parseQueryReply(reply);
    EXPECT_EQ(summary.length, 41u);
    EXPECT_EQ(summary.replies, 2);
    EXPECT_EQ(summary.width, 80);
    EXPECT_EQ(summary.height, 24);
    EXPECT_EQ(summary.alternateHeight, 32);
    EXPECT_FALSE(summary.malformed);

    reply.pop_back();  // the last structured field now claims a byte too many
    summary = parseQueryReply(reply);
    EXPECT_TRUE(summary.malformed);
    EXPECT_EQ(summary.height, 24);
}

}  // namespace
}  // namespace kestrel::demo_host
