// Inbound records: attention keys, the host's read commands and taking the record.
#include <string>

#include "reply_fixture.h"

namespace kestrel::test {
namespace {

constexpr uint8_t A = 0xC1, B = 0xC2, C = 0xC3;
constexpr uint8_t kPf1 = 0xF1, kPf24 = 0x4C;

struct AttentionCase {
    std::string name;
    Bytes screen;  // the host record that sets the screen up
    uint8_t aid;
    Bytes expected;
};

void PrintTo(const AttentionCase& c, std::ostream* out) {
    *out << c.name;
}

class AttentionTest : public ReplyTest, public ::testing::WithParamInterface<AttentionCase> {};

TEST_P(AttentionTest, SendsTheExpectedRecord) {
    const AttentionCase& c = GetParam();
    feed(c.screen);
    EXPECT_EQ(sendAid(engine, c.aid), 1);
    EXPECT_EQ(take(), c.expected);
}

// A screen with an unmodified field at 0 and a modified one at 10 holding "A", a null, "B".
const Bytes kModifiedField = {0xF5, 0xC2, 0x1D, 0x40, C,    0x11, 0x40, 0x4A, 0x1D,
                              0x41, A,    0x00, B,    0x11, 0x40, 0x54, 0x1D, 0x60};

const AttentionCase kAttentionCases[] = {
    {"EnterWithNoModifiedFieldSendsOnlyAidAndCursor",
     {0xF5, 0xC2, 0x1D, 0x60, A, 0x11, 0x40, 0x4A, 0x1D, 0x40, 0x11, 0x40, 0x50, 0x13},
     aid::kEnter,
     hex("7D 40 50")},
    {"CursorAtZero", {0xF5, 0xC2, 0x1D, 0x60}, aid::kEnter, hex("7D 40 40")},
    {"CursorAtTheLastAddress",
     {0xF5, 0xC2, 0x1D, 0x60, 0x11, 0x5D, 0x7F, 0x13},
     aid::kEnter,
     hex("7D 5D 7F")},
    {"ModifiedAllNullFieldSendsOnlyItsAddress",
     {0xF5, 0xC2, 0x11, 0x40, 0x4A, 0x1D, 0x41},
     aid::kEnter,
     hex("7D 40 40 11 40 4B")},
    {"ModifiedFieldSendsItsCharactersWithoutNulls", kModifiedField, aid::kEnter,
     hex("7D 40 40 11 40 4B C1 C2")},
    {"FieldsStartingAtTheFirstAttributeWrapAround",
     {0xF5, 0xC2, 0x11, 0x40, 0x45, 0x1D, 0x41, C, 0x11, 0x5D, 0x7E, 0x1D, 0x41, A, B},
     aid::kEnter,
     hex("7D 40 40 11 40 C6 C3 11 5D 7F C1 C2")},
    {"AttributeAtTheLastAddressAddressesZero",
     {0xF5, 0xC2, 0x11, 0x5D, 0x7F, 0x1D, 0x41, A},
     aid::kEnter,
     hex("7D 40 40 11 40 40 C1")},
    {"UnformattedScreenSendsEveryNonNullCharacter",
     {0xF5, 0xC2, A, 0x11, 0x40, 0x4A, B, 0x11, 0x5D, 0x7F, C},
     aid::kEnter,
     hex("7D 40 40 C1 C2 C3")},
    {"PfKeySendsTheFullLayout", kModifiedField, kPf24, hex("4C 40 40 11 40 4B C1 C2")},
    {"Pa1IsAShortRead", kModifiedField, aid::kPa1, hex("6C")},
    {"Pa2IsAShortRead", kModifiedField, aid::kPa2, hex("6E")},
    {"Pa3IsAShortRead", kModifiedField, aid::kPa3, hex("6B")},
    {"ClearIsAShortRead", kModifiedField, aid::kClear, hex("6D")},
};

INSTANTIATE_TEST_SUITE_P(Keys, AttentionTest, ::testing::ValuesIn(kAttentionCases),
                         [](const auto& info) { return info.param.name; });

// Set Attribute orders in Read Modified replies follow the reply flags.
struct TrackerCase {
    std::string name;
    Bytes screen;
    int replyColour;
    int replyHighlight;
    Bytes expected;
};

void PrintTo(const TrackerCase& c, std::ostream* out) {
    *out << c.name;
}

class TrackerTest : public ReplyTest, public ::testing::WithParamInterface<TrackerCase> {};

TEST_P(TrackerTest, SendsSetAttributeOrdersOnChange) {
    const TrackerCase& c = GetParam();
    feed(c.screen);
    engine.replyColour = c.replyColour;
    engine.replyHighlight = c.replyHighlight;
    sendAid(engine, aid::kEnter);
    EXPECT_EQ(take(), c.expected);
}

// A modified field at 0: "A" and "B" red, "C" default colour, then a protected field at 5.
const Bytes kColours = {0xF5, 0xC2, 0x1D, 0x41, 0x28, 0x42, 0xF2, A,    B,
                        0x28, 0x42, 0xF0, C,    0x1D, 0x60, 0x28, 0x42, 0xF2};
// A modified field at 0: "A" blink, "B" blink and underscore, "C" after a highlight reset.
const Bytes kHighlights = {0xF5, 0xC2, 0x1D, 0x41, 0x28, 0x41, 0xF1, A,    0x28,
                           0x41, 0xF4, B,    0x28, 0x41, 0x00, C,    0x1D, 0x60};
// Modified fields at 0 and 2, each with one red character, then a protected field at 4.
const Bytes kTwoRedFields = {0xF5, 0xC2, 0x1D, 0x41, 0x28, 0x42, 0xF2,
                             A,    0x1D, 0x41, B,    0x1D, 0x60};
// A modified field at 0 with "A" red and reverse.
const Bytes kRedReverse = {0xF5, 0xC2, 0x1D, 0x41, 0x28, 0x42, 0xF2,
                           0x28, 0x41, 0xF2, A,    0x1D, 0x60};

const TrackerCase kTrackerCases[] = {
    {"ColourOff", kColours, 0, 0, hex("7D 40 40 11 40 C1 C1 C2 C3")},
    {"ColourOnSendsEachChange", kColours, 1, 0,
     hex("7D 40 40 11 40 C1 28 42 F2 C1 C2 28 42 F0 C3")},
    {"ColourIsNotHighlighting", kHighlights, 1, 0, hex("7D 40 40 11 40 C1 C1 C2 C3")},
    {"HighlightOnSendsCombinedValues", kHighlights, 0, 1,
     hex("7D 40 40 11 40 C1 28 41 F1 C1 28 41 F5 C2 28 41 00 C3")},
    {"TrackersCarryAcrossFields", kTwoRedFields, 1, 0,
     hex("7D 40 40 11 40 C1 28 42 F2 C1 11 40 C3 C2")},
    {"ColourComesBeforeHighlight", kRedReverse, 1, 1,
     hex("7D 40 40 11 40 C1 28 42 F2 28 41 F2 C1")},
};

INSTANTIATE_TEST_SUITE_P(Trackers, TrackerTest, ::testing::ValuesIn(kTrackerCases),
                         [](const auto& info) { return info.param.name; });

TEST_F(ReplyTest, ColourChangeOnANullPositionIsStillSent) {
    // The null after the red "A" has the default colour again.
    feed({0xF5, 0xC2, 0x1D, 0x41, 0x28, 0x42, 0xF2, A, 0x28, 0x42, 0x00, 0x00, 0x1D, 0x60});
    engine.replyColour = 1;
    sendAid(engine, aid::kEnter);
    EXPECT_EQ(take(), hex("7D 40 40 11 40 C1 28 42 F2 C1 28 42 F0"));
}

TEST_F(ReplyTest, ReadBufferOfAnEmptyUnformattedScreen) {
    EXPECT_EQ(feed({0xF2}), 1);
    Bytes expected = hex("60 40 40");
    expected.resize(3 + 1920, 0);
    EXPECT_EQ(take(), expected);
}

TEST_F(ReplyTest, ReadBufferGivesEveryCellWithStartFieldOrders) {
    // A protected field at 0 with "A" red, a null, "B"; then an SFE field at 4.
    feed({0xF5, 0xC2, 0x1D, 0x60, 0x28, 0x42, 0xF2, A,    0x00, B,    0x29,
          0x03, 0xC0, 0xE1, 0x41, 0xF1, 0x42, 0xF2, 0x11, 0x40, 0x45, 0x13});
    EXPECT_EQ(feed({0xF2}), 1);
    const Bytes record = take();
    ASSERT_EQ(record.size(), 3u + 1920 + 2);  // each SF takes two bytes
    // The SFE field falls back to SF without the highlight reply flag; its
    // attribute 0xE1 shows through the code table as 0x61.
    EXPECT_EQ(Bytes(record.begin(), record.begin() + 10), hex("60 40 C5 1D 60 C1 00 C2 1D 61"));
}

struct ReadBufferFormCase {
    std::string name;
    int replyHighlight;
    int replyColour;
    Bytes expected;  // the reply from address 0 on
};

void PrintTo(const ReadBufferFormCase& c, std::ostream* out) {
    *out << c.name;
}

class ReadBufferFormTest : public ReplyTest,
                           public ::testing::WithParamInterface<ReadBufferFormCase> {};

TEST_P(ReadBufferFormTest, ShowsExtendedFieldsByTheHighlightFlag) {
    const ReadBufferFormCase& c = GetParam();
    // An SFE field at 0 (blink, colour 2) holding "A", and an SF field at 2.
    feed({0xF5, 0xC2, 0x29, 0x03, 0xC0, 0x60, 0x41, 0xF1, 0x42, 0xF2, A, 0x1D, 0x40});
    engine.replyHighlight = c.replyHighlight;
    engine.replyColour = c.replyColour;
    feed({0xF2});
    const Bytes record = take();
    ASSERT_GE(record.size(), 3 + c.expected.size());
    EXPECT_EQ(Bytes(record.begin() + 3, record.begin() + 3 + c.expected.size()), c.expected);
    EXPECT_EQ(record.size(), 3 + c.expected.size() + 1920 - 3);
}

const ReadBufferFormCase kReadBufferForms[] = {
    {"HighlightGivesSfe", 1, 0, hex("29 03 C0 60 41 F1 42 F2 C1 1D 40")},
    {"HighlightAndColourGiveSfe", 1, 1, hex("29 03 C0 60 41 F1 42 F2 C1 1D 40")},
    {"ColourAloneGivesSf", 0, 1, hex("1D 60 C1 1D 40")},
    {"NeitherGivesSf", 0, 0, hex("1D 60 C1 1D 40")},
};

INSTANTIATE_TEST_SUITE_P(ReadBuffer, ReadBufferFormTest, ::testing::ValuesIn(kReadBufferForms),
                         [](const auto& info) { return info.param.name; });

TEST_F(ReplyTest, ReadBufferSendsTheLastAidNotTheArgument) {
    sendAid(engine, kPf1);
    take();
    feed({0xF2});
    EXPECT_EQ(take()[0], kPf1);
    engine.readMode = 1;
    buildReadReply(engine, aid::kEnter);
    EXPECT_EQ(take()[0], kPf1);
}

TEST_F(ReplyTest, ReadModifiedAnswersWithTheLastAid) {
    feed(kModifiedField);  // the keyboard restore makes the last AID "none"
    EXPECT_EQ(feed({0xF6}), 1);
    EXPECT_EQ(take(), hex("60 40 40 11 40 4B C1 C2"));
}

TEST_F(ReplyTest, ReadModifiedAllAfterAShortReadSendsTheFullLayout) {
    feed(kModifiedField);
    sendAid(engine, aid::kPa1);
    EXPECT_EQ(take(), hex("6C"));
    feed({0xF6});  // Read Modified repeats the short read
    EXPECT_EQ(take(), hex("6C"));
    feed({0x6E});
    EXPECT_EQ(take(), hex("6C 40 40 11 40 4B C1 C2"));
    EXPECT_EQ(engine.readMode, 0);
    sendAid(engine, aid::kPa1);  // and the next key is short again
    EXPECT_EQ(take(), hex("6C"));
}

TEST_F(ReplyTest, BuildingClearsInsertModeAndReadMode) {
    engine.insertMode = 1;
    engine.readMode = 3;
    buildReadReply(engine, aid::kEnter);
    EXPECT_EQ(engine.insertMode, 0);
    EXPECT_EQ(engine.readMode, 0);
    EXPECT_TRUE(engine.pendingRecord.pending);
}

TEST_F(ReplyTest, ClearEmptiesTheScreenBeforeTheReply) {
    feed({0x7E, 0xC2, 0x11, 0xE7, 0x7F, 0x1D, 0x41, A, 0x11, 0x40, 0x45, 0x13});  // 32 rows
    ASSERT_EQ(engine.cells(), 2560);
    ASSERT_EQ(engine.cursorAddress, 5);
    ui.calls.clear();
    EXPECT_EQ(sendAid(engine, aid::kClear), 1);
    for (int a = 0; a < engine.cells(); ++a) {
        ASSERT_EQ(at(a), 0u) << "address " << a;
    }
    EXPECT_EQ(engine.cursorAddress, 0);
    EXPECT_EQ(engine.bufferAddress, 0);
    EXPECT_EQ(engine.rows(), 32);
    EXPECT_EQ(image.cell(1, 1) & 0xFF, uint32_t(' '));  // rendered
    EXPECT_FALSE(ui.calls.empty());
    EXPECT_EQ(engine.lastAid, aid::kClear);
    EXPECT_EQ(engine.functionName, "CLEAR");
    EXPECT_EQ(take(), hex("6D"));
}

TEST_F(ReplyTest, SendAidNamesTheFunctionAndLocksTheKeyboard) {
    const std::pair<uint8_t, std::string> names[] = {
        {aid::kEnter, "ENTER"}, {kPf1, "PF1"}, {0x7A, "PF10"}, {kPf24, "PF24"},
        {aid::kPa3, "PA3"},     {0x60, ""},    {0x11, ""},  // not an AID: no function name
    };
    for (const auto& [code, name] : names) {
        feed({0xF5, 0xC2});
        engine.insertMode = 1;
        EXPECT_EQ(sendAid(engine, code), 1);
        EXPECT_EQ(engine.functionName, name) << int(code);
        EXPECT_EQ(engine.lastAid, code);
        EXPECT_EQ(engine.keyboardUnlocked, 0);
        EXPECT_EQ(engine.insertMode, 0);
        EXPECT_EQ(take()[0], code);
    }
}

TEST_F(ReplyTest, SendAidByNameKeepsTheNameAndTheKeyboard) {
    feed({0xF5, 0xC2, A});
    sendAidByName(engine, aid::kPa2, "PA2");
    EXPECT_EQ(engine.functionName, "PA2");
    EXPECT_EQ(engine.lastAid, aid::kPa2);
    EXPECT_EQ(engine.keyboardUnlocked, 1);
    EXPECT_EQ(at(0), A);
    EXPECT_EQ(take(), hex("6E"));

    sendAidByName(engine, aid::kClear, "CLEAR");
    EXPECT_EQ(at(0), 0u);
    EXPECT_EQ(engine.functionName, "CLEAR");
    EXPECT_EQ(take(), hex("6D"));
}

TEST_F(ReplyTest, ThePendingRecordIsTakenOnceAndLocksTheKeyboard) {
    EXPECT_FALSE(takePendingRecord(engine).has_value());
    feed({0xF5, 0xC2, A});
    sendAid(engine, kPf1);
    sendAid(engine, aid::kEnter);  // replaces the record not yet taken
    engine.keyboardUnlocked = 1;
    EXPECT_EQ(take(), hex("7D 40 40 C1"));
    EXPECT_EQ(engine.keyboardUnlocked, 0);
    EXPECT_FALSE(engine.pendingRecord.pending);
    EXPECT_FALSE(takePendingRecord(engine).has_value());
}

TEST_F(ReplyTest, AttnAndSysreqFlagsAreClearedByReading) {
    engine.attnPending = 1;
    engine.sysreqPending = 1;
    EXPECT_TRUE(takeAttnPending(engine));
    EXPECT_FALSE(takeAttnPending(engine));
    EXPECT_TRUE(takeSysreqPending(engine));
    EXPECT_FALSE(takeSysreqPending(engine));
}

// The largest replies: nothing may be cut off, however much the screen holds.
TEST_F(ReplyTest, ReadBufferOfAScreenFullOfExtendedFieldsIsWhole) {
    feed({0x7E, 0xC2});  // 32 rows
    ASSERT_EQ(engine.cells(), 2560);
    Bytes expected = hex("60 40 40");
    for (int a = 0; a < engine.cells(); ++a) {
        const uint8_t colour = uint8_t(a % 8);
        engine.presentationSpace[a] = cell::attributeCell(0x61) | cell::ExtendedField |
                                      cell::Blink | cell::Reverse | cell::Underscore |
                                      uint32_t(colour) << cell::ColourShift;
        expected.insert(expected.end(),
                        {0x29, 0x03, 0xC0, 0x61, 0x41, 0xF7, 0x42, uint8_t(0xF0 | colour)});
    }
    engine.replyHighlight = 1;
    feed({0xF2});
    const Bytes record = take();
    EXPECT_EQ(record.size(), maxReplySize(2560));
    EXPECT_EQ(record, expected);
}

TEST_F(ReplyTest, ReadModifiedWithAttributesOnEveryCharacterIsWhole) {
    feed({0x7E, 0xC2, 0x1D, 0x41});  // 32 rows, one modified field at 0
    Bytes expected = hex("7D 40 40 11 40 C1");
    for (int a = 1; a < engine.cells(); ++a) {
        const bool odd = a % 2 != 0;
        engine.presentationSpace[a] = A | (odd ? cell::Blink | 1u << cell::ColourShift
                                               : cell::Reverse | 2u << cell::ColourShift);
        expected.insert(expected.end(), {0x28, 0x42, uint8_t(odd ? 0xF1 : 0xF2), 0x28, 0x41,
                                         uint8_t(odd ? 0xF1 : 0xF2), A});
    }
    engine.replyColour = 1;
    engine.replyHighlight = 1;
    sendAid(engine, aid::kEnter);
    const Bytes record = take();
    EXPECT_EQ(record.size(), 6u + 7 * 2559);
    EXPECT_EQ(record, expected);
    EXPECT_LE(record.size(), maxReplySize(engine.cells()));
}

TEST_F(ReplyTest, ReadModifiedOfAScreenOfModifiedAttributesIsWhole) {
    for (int a = 0; a < engine.cells(); ++a) {
        engine.presentationSpace[a] = cell::attributeCell(0x41);
    }
    sendAid(engine, aid::kEnter);
    const Bytes record = take();
    ASSERT_EQ(record.size(), 3u + 3 * 1920);
    // Each empty field names the address after its attribute, around the buffer.
    EXPECT_EQ(Bytes(record.begin() + 3, record.begin() + 9), hex("11 40 C1 11 40 C2"));
    EXPECT_EQ(Bytes(record.end() - 3, record.end()), hex("11 40 40"));
}

}  // namespace
}  // namespace kestrel::test
