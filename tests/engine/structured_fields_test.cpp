// Write Structured Field: the query reply, Erase/Reset, Set Reply Mode,
// Outbound 3270DS and records that are cut off or malformed.
#include "engine/structured_fields.h"

#include <string>

#include "reply_fixture.h"

namespace kestrel::test {
namespace {

constexpr uint8_t A = 0xC1, B = 0xC2;

const Bytes kQueryReplyModel2 =
    hex("88"
        "00 16 81 86 00 08 00 F4 F1 F1 F2 F2 F3 F3 F4 F4 F5 F5 F6 F6 F7 F7"
        "00 0D 81 87 04 00 F0 F1 F1 F2 F2 F4 F4"
        "00 17 81 81 01 00 00 50 00 18 01 00 0A 02 E5 00 02 00 6F 09 0C 07 80"
        "00 11 81 A6 00 00 0B 01 00 00 50 00 18 00 50 00 18"
        "00 07 81 88 00 01 02"
        "00 10 81 85 00 00 09 10 00 00 00 00 03 00 00 FF");

const Bytes kQueryReplyModel3 =
    hex("88"
        "00 16 81 86 00 08 00 F4 F1 F1 F2 F2 F3 F3 F4 F4 F5 F5 F6 F6 F7 F7"
        "00 0D 81 87 04 00 F0 F1 F1 F2 F2 F4 F4"
        "00 17 81 81 01 00 00 50 00 20 01 00 0A 02 E5 00 02 00 6F 09 0C 0A 00"
        "00 11 81 A6 00 00 0B 01 00 00 50 00 18 00 50 00 20"
        "00 07 81 88 00 01 02"
        "00 10 81 85 00 00 09 10 00 00 00 00 03 00 00 FF");

TEST_F(ReplyTest, QueryReplyOfAModel2) {
    settings.alternate = 24;
    EXPECT_EQ(feed({0xF3, 0x00, 0x05, 0x01, 0xFF, 0x02}), 1);
    EXPECT_EQ(take(), kQueryReplyModel2);
}

TEST_F(ReplyTest, QueryReplyOfAModel3) {
    settings.alternate = 32;
    EXPECT_EQ(feed({0xF3, 0x00, 0x05, 0x01, 0xFF, 0x02}), 1);
    EXPECT_EQ(take(), kQueryReplyModel3);
}

TEST(QueryReply, ModelsDifferOnlyInTheHeightAndBufferSize) {
    const auto model2 = queryReply(24);
    const auto model3 = queryReply(32);
    ASSERT_EQ(model2.size(), 99u);
    std::vector<size_t> differences;
    for (size_t i = 0; i < model2.size(); ++i) {
        if (model2[i] != model3[i]) {
            differences.push_back(i);
        }
    }
    EXPECT_EQ(differences, (std::vector<size_t>{45, 57, 58, 75}));
    EXPECT_EQ(Bytes(model2.begin(), model2.end()), kQueryReplyModel2);
}

TEST_F(ReplyTest, EveryReadPartitionGetsTheWholeReply) {
    const Bytes records[] = {
        {0xF3, 0x00, 0x05, 0x01, 0xFF, 0x03},        // Query List
        {0x11, 0x00, 0x06, 0x01, 0x00, 0x03, 0x80},  // local command, another partition
        {0xF3, 0x00, 0x03, 0x01},                    // no partition or type at all
        {0xF3, 0x00, 0x05, 0x01},                    // length past the end of the record
    };
    for (const Bytes& record : records) {
        EXPECT_EQ(feed(record), 1);
        EXPECT_EQ(take(), kQueryReplyModel3);
        EXPECT_EQ(engine.programCheck, 0);
    }
}

TEST_F(ReplyTest, QueryReplyLeavesTheReplyAndKeyboardStates) {
    feed({0xF5, 0xC2, A});
    sendAid(engine, 0xF1);  // a record not yet taken is replaced
    engine.keyboardUnlocked = 1;
    engine.insertMode = 1;
    engine.readMode = 2;
    feed({0xF3, 0x00, 0x05, 0x01, 0xFF, 0x02});
    EXPECT_EQ(engine.lastAid, 0xF1);
    EXPECT_EQ(engine.insertMode, 1);
    EXPECT_EQ(engine.readMode, 2);
    EXPECT_EQ(engine.keyboardUnlocked, 1);
    EXPECT_EQ(take(), kQueryReplyModel3);
    EXPECT_EQ(engine.keyboardUnlocked, 0);  // taking it locks, as for every record
}

struct EraseResetCase {
    std::string name;
    int alternate;
    std::vector<Bytes> records;
    int rows;
};

void PrintTo(const EraseResetCase& c, std::ostream* out) {
    *out << c.name;
}

class EraseResetTest : public ReplyTest, public ::testing::WithParamInterface<EraseResetCase> {};

TEST_P(EraseResetTest, SwitchesSizeAndClears) {
    const EraseResetCase& c = GetParam();
    settings.alternate = c.alternate;
    for (const Bytes& record : c.records) {
        feed({0xF1, 0xC2, 0x11, 0x40, 0x45, 0x1D, 0x40, A, 0x13, B});
        ASSERT_EQ(at(6), A);
        feed(record);
    }
    EXPECT_EQ(engine.rows(), c.rows);
    EXPECT_EQ(engine.alternateActive, c.rows == 32 ? 1 : 0);
    EXPECT_EQ(image.visibleRows(), c.rows);
    for (int a = 0; a < engine.cells(); ++a) {
        ASSERT_EQ(at(a), 0u) << "address " << a;
    }
    EXPECT_EQ(engine.cursorAddress, 0);
    EXPECT_EQ(engine.bufferAddress, 0);
    EXPECT_EQ(engine.programCheck, 0);
}

const Bytes kToAlternate = {0xF3, 0x00, 0x04, 0x03, 0x80};
const Bytes kToDefault = {0xF3, 0x00, 0x04, 0x03, 0x00};

const EraseResetCase kEraseResetCases[] = {
    {"Model3SwitchesToTheAlternateSize", 32, {kToAlternate}, 32},
    {"Model3ReturnsToTheDefaultSize", 32, {kToAlternate, kToDefault}, 24},
    {"AlternateTwiceStaysAndClears", 32, {kToAlternate, kToAlternate}, 32},
    {"DefaultOnTheDefaultSizeClears", 32, {kToDefault}, 24},
    {"Model2HasNoLargerSize", 24, {kToAlternate}, 24},
    {"OnlyTheTopBitCounts", 32, {{0xF3, 0x00, 0x04, 0x03, 0x7F}}, 24},
};

INSTANTIATE_TEST_SUITE_P(EraseReset, EraseResetTest, ::testing::ValuesIn(kEraseResetCases),
                         [](const auto& info) { return info.param.name; });

struct ReplyModeCase {
    std::string name;
    int highlightBefore, colourBefore;
    Bytes record;
    int highlight, colour;
};

void PrintTo(const ReplyModeCase& c, std::ostream* out) {
    *out << c.name;
}

class ReplyModeTest : public ReplyTest, public ::testing::WithParamInterface<ReplyModeCase> {};

TEST_P(ReplyModeTest, SetsTheReplyFlags) {
    const ReplyModeCase& c = GetParam();
    engine.replyHighlight = c.highlightBefore;
    engine.replyColour = c.colourBefore;
    feed(c.record);
    EXPECT_EQ(engine.replyHighlight, c.highlight);
    EXPECT_EQ(engine.replyColour, c.colour);
    EXPECT_EQ(engine.programCheck, 0);
}

const ReplyModeCase kReplyModeCases[] = {
    {"FieldModeClearsBoth", 1, 1, {0xF3, 0x00, 0x05, 0x09, 0x00, 0x00}, 0, 0},
    {"ExtendedFieldModeSetsBoth", 0, 0, {0xF3, 0x00, 0x05, 0x09, 0x00, 0x01}, 1, 1},
    {"CharacterModeSetsTheNamedTypes",
     0,
     0,
     {0xF3, 0x00, 0x07, 0x09, 0x00, 0x02, 0x41, 0x42},
     1,
     1},
    {"CharacterModeWithColourOnly", 0, 0, {0xF3, 0x00, 0x06, 0x09, 0x00, 0x02, 0x42}, 0, 1},
    {"CharacterModeClearsNothing", 1, 1, {0xF3, 0x00, 0x06, 0x09, 0x00, 0x02, 0x42}, 1, 1},
    {"CharacterModeWithoutTypesChangesNothing", 1, 0, {0xF3, 0x00, 0x05, 0x09, 0x00, 0x02}, 1, 0},
    {"CharacterModeIgnoresOtherTypes",
     0,
     0,
     {0xF3, 0x00, 0x07, 0x09, 0x00, 0x02, 0x43, 0xC0},
     0,
     0},
    {"CharacterModeTypesEndWithTheField",
     0,
     0,
     {0xF3, 0x00, 0x06, 0x09, 0x00, 0x02, 0x41, 0x00, 0x04, 0x07, 0x42},
     1,
     0},
    {"UnknownModeChangesNothing", 1, 0, {0xF3, 0x00, 0x05, 0x09, 0x00, 0x07}, 1, 0},
    {"LengthPastTheEndTakesTheTypesToTheEnd",
     0,
     0,
     {0xF3, 0x00, 0x20, 0x09, 0x00, 0x02, 0x42},
     0,
     1},
};

INSTANTIATE_TEST_SUITE_P(SetReplyMode, ReplyModeTest, ::testing::ValuesIn(kReplyModeCases),
                         [](const auto& info) { return info.param.name; });

// An Outbound 3270DS structured field does what its command does on its own.
struct DataStreamCase {
    std::string name;
    Bytes screen;   // the record before, fed to both engines
    Bytes wrapped;  // a Write Structured Field record
    Bytes plain;    // the same command as a record of its own
};

void PrintTo(const DataStreamCase& c, std::ostream* out) {
    *out << c.name;
}

class DataStreamTest : public ReplyTest, public ::testing::WithParamInterface<DataStreamCase> {};

TEST_P(DataStreamTest, ActsLikeThePlainCommand) {
    const DataStreamCase& c = GetParam();
    DisplayImage plainImage;
    test_support::RecordingUi plainUi;
    vt plain(settings, plainImage, plainUi);
    for (vt* e : {&engine, &plain}) {
        e->replyHighlight = e->replyColour = 1;
        e->processInboundRecord(c.screen.data(), c.screen.size());
        e->keyboardUnlocked = 0;
        e->lastAid = 0x7D;
    }
    feed(c.wrapped);
    plain.processInboundRecord(c.plain.data(), c.plain.size());
    EXPECT_EQ(engine.presentationSpace, plain.presentationSpace);
    EXPECT_EQ(engine.rows(), plain.rows());
    EXPECT_EQ(engine.cursorAddress, plain.cursorAddress);
    EXPECT_EQ(engine.bufferAddress, plain.bufferAddress);
    EXPECT_EQ(engine.keyboardUnlocked, plain.keyboardUnlocked);
    EXPECT_EQ(engine.lastAid, plain.lastAid);
    EXPECT_EQ(engine.replyHighlight, plain.replyHighlight);
    EXPECT_EQ(engine.replyColour, plain.replyColour);
    EXPECT_EQ(engine.programCheck, plain.programCheck);
    EXPECT_FALSE(engine.pendingRecord.pending);
}

// An unprotected field at 0 holding "AB", a protected field at 10 holding "A".
const Bytes kFields = {0xF5, 0xC2, 0x1D, 0x40, A, B, 0x11, 0x40, 0x4A, 0x1D, 0x60, A, 0x13};
// The same on the alternate size of a model 3, with the cursor on the last row.
const Bytes kAlternateFields = {0x7E, 0xC2, 0x1D, 0x40, A, B, 0x11, 0xE7, 0x7F, 0x13};

const DataStreamCase kDataStreamCases[] = {
    {"Write",
     kFields,
     {0xF3, 0x00, 0x0A, 0x40, 0x00, 0xF1, 0xC3, 0x11, 0x40, 0x40, 0xC1},
     {0xF1, 0xC3, 0x11, 0x40, 0x40, 0xC1}},
    {"WriteLocalCommandAtTheCursor",
     kFields,
     {0x11, 0x00, 0x08, 0x40, 0x00, 0x01, 0x00, B, A},
     {0x01, 0x00, B, A}},
    {"WriteWithACutOffOrder",
     kFields,
     {0xF3, 0x00, 0x08, 0x40, 0x00, 0xF1, 0xC2, 0x11, 0x40},
     {0xF1, 0xC2, 0x11, 0x40}},
    {"EraseWriteReturnsToTheDefaultSize",
     kAlternateFields,
     {0xF3, 0x00, 0x08, 0x40, 0x00, 0xF5, 0xC2, 0x1D, 0x60},
     {0xF5, 0xC2, 0x1D, 0x60}},
    {"EraseWriteResetsTheReplyModes",
     kFields,
     {0xF3, 0x00, 0x07, 0x40, 0x00, 0x05, 0x42, B},
     {0x05, 0x42, B}},
    {"EraseWriteAlternate",
     kFields,
     {0xF3, 0x00, 0x07, 0x40, 0x00, 0x7E, 0xC2, A},
     {0x7E, 0xC2, A}},
    {"EraseWriteAlternateLocalCommand",
     kFields,
     {0xF3, 0x00, 0x07, 0x40, 0x00, 0x0D, 0x40, A},
     {0x0D, 0x40, A}},
    {"EraseAllUnprotected", kFields, {0xF3, 0x00, 0x05, 0x40, 0x00, 0x6F}, {0x6F}},
    {"EraseAllUnprotectedLocalCommand",
     kAlternateFields,
     {0xF3, 0x00, 0x05, 0x40, 0x00, 0x0F},
     {0x0F}},
};

INSTANTIATE_TEST_SUITE_P(Outbound3270DS, DataStreamTest, ::testing::ValuesIn(kDataStreamCases),
                         [](const auto& info) { return info.param.name; });

TEST_F(ReplyTest, Outbound3270DSIgnoresReadCommands) {
    feed({0xF5, 0xC2, A});
    for (const uint8_t command : {0xF2, 0xF6, 0x6E, 0x02, 0x06, 0xF3, 0x42}) {
        feed({0xF3, 0x00, 0x06, 0x40, 0x00, command, 0xC2});
        EXPECT_FALSE(engine.pendingRecord.pending) << int(command);
        EXPECT_EQ(engine.programCheck, 0);
        EXPECT_EQ(at(0), A);
    }
}

TEST_F(ReplyTest, Outbound3270DSEndsCharacterSuppression) {
    feed({0xF1, 0xC2, 0x11, 0x07, 0xD0, A});  // SBA 2000: out of range
    ASSERT_EQ(engine.suppressWrite, 1);
    feed({0xF3, 0x00, 0x07, 0x40, 0x00, 0xF1, 0xC2, B});
    EXPECT_EQ(engine.suppressWrite, 0);
    EXPECT_EQ(at(0), B);  // the write starts at the cursor

    feed({0xF1, 0xC2, 0x11, 0x07, 0xD0});
    feed({0xF3, 0x00, 0x06, 0x40, 0x00, 0xF6, 0x00});  // even one that does nothing
    EXPECT_EQ(engine.suppressWrite, 0);
}

// Fields in sequence, and what happens to records that are cut off or malformed.
struct WalkCase {
    std::string name;
    Bytes record;
    bool programCheck;
    bool queryReply;  // a query reply is pending afterwards
    int rows;
    int replyHighlight;  // starts at 0
};

void PrintTo(const WalkCase& c, std::ostream* out) {
    *out << c.name;
}

class WalkTest : public ReplyTest, public ::testing::WithParamInterface<WalkCase> {};

TEST_P(WalkTest, FollowsTheFieldLengths) {
    const WalkCase& c = GetParam();
    feed({0xF5, 0xC2, A});
    feed(c.record);
    EXPECT_EQ(engine.programCheck, c.programCheck ? 1 : 0);
    EXPECT_EQ(engine.pendingRecord.pending, c.queryReply);
    if (c.queryReply) {
        EXPECT_EQ(take(), kQueryReplyModel3);
    }
    EXPECT_EQ(engine.rows(), c.rows);
    EXPECT_EQ(engine.replyHighlight, c.replyHighlight);
    if (c.rows == 24 && !c.programCheck) {
        EXPECT_EQ(at(0), A);  // nothing here clears the screen
    }
}

const WalkCase kWalkCases[] = {
    {"NothingAfterTheCommand", {0xF3}, false, false, 24, 0},
    {"HeaderNotComplete", {0xF3, 0x00, 0x03}, false, false, 24, 0},
    {"SeveralFieldsInOrder",
     {0xF3, 0x00, 0x05, 0x09, 0x00, 0x01, 0x00, 0x04, 0x03, 0x80, 0x00, 0x05, 0x01, 0xFF, 0x02},
     false,
     true,
     32,
     1},
    {"UnknownFieldsAreSkipped",
     {0xF3, 0x00, 0x06, 0x0F, 0x01, 0x09, 0x00, 0x00, 0x05, 0x09, 0x00, 0x01},
     false,
     false,
     24,
     1},
    {"UnknownFieldOfAnyLengthIsSkipped", {0xF3, 0x01, 0x00, 0x07, 0x01}, false, false, 24, 0},
    {"ZeroLengthIsTheLastField",
     {0xF3, 0x00, 0x05, 0x09, 0x00, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x05, 0x01},
     false,
     true,
     24,
     1},
    {"ZeroLengthRunsToTheEndOfTheRecord",
     {0xF3, 0x00, 0x00, 0x09, 0x00, 0x02, 0x00, 0x05, 0x01, 0x41, 0x02},
     false,
     false,
     24,
     1},
    {"EraseResetCutOff", {0xF3, 0x00, 0x04, 0x03}, true, false, 24, 0},
    {"SetReplyModeCutOff", {0xF3, 0x00, 0x05, 0x09, 0x00}, true, false, 24, 0},
    {"CutOffAfterAnEarlierField",
     {0xF3, 0x00, 0x05, 0x09, 0x00, 0x01, 0x00, 0x05, 0x09, 0x00},
     true,
     false,
     24,
     1},
    {"Outbound3270DSWithoutItsWcc", {0xF3, 0x00, 0x06, 0x40, 0x00, 0xF1}, true, false, 24, 0},
    {"Outbound3270DSWithoutACommand", {0xF3, 0x00, 0x05, 0x40, 0x00}, true, false, 24, 0},
    {"Outbound3270DSLongerThanTheRecord",
     {0xF3, 0x00, 0x10, 0x40, 0x00, 0xF5, 0xC2, B},
     true,
     false,
     24,
     0},
    {"FieldTooShortForItsOwnContentsEndsTheRecord",
     {0xF3, 0x00, 0x04, 0x09, 0x00, 0x00, 0x05, 0x01, 0xFF, 0x02},
     true,
     false,
     24,
     0},
    {"EraseResetDoesNotBorrowTheNextFieldsByte",
     {0xF3, 0x00, 0x03, 0x03, 0x80, 0x05, 0x09, 0x00, 0x01},
     true,
     false,
     24,
     0},
    {"LengthOneIsMalformed", {0xF3, 0x00, 0x01, 0x09, 0x00, 0x01}, true, false, 24, 0},
    {"LengthTwoIsMalformed", {0xF3, 0x00, 0x02, 0x01, 0xFF, 0x02}, true, false, 24, 0},
};

INSTANTIATE_TEST_SUITE_P(Walk, WalkTest, ::testing::ValuesIn(kWalkCases),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace kestrel::test
