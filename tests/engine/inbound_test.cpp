// The inbound-record entry: commands, the write control character and orders.
#include <map>
#include <string>

#include "engine_fixture.h"

namespace kestrel::test {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t A = 0xC1, B = 0xC2, C = 0xC3;
constexpr uint32_t Red = 2u << cell::ColourShift;

// A screen used by several cases: an unprotected field at 0 holding "AAAAAAAAAA"
// at 1-10, an unprotected field at 20, a protected field at 40 holding "BB".
const Bytes kTwoFields = {0xF5, 0xC3, 0x11, 0x40, 0x40, 0x1D, 0x40, A,    A,    A,
                          A,    A,    A,    A,    A,    A,    A,    0x11, 0x40, 0x54,
                          0x1D, 0x40, 0x11, 0x40, 0xE8, 0x1D, 0x60, B,    B};

struct WriteCase {
    std::string name;
    std::vector<Bytes> records;
    std::map<int, uint32_t> cells;  // expected cells; others are not checked
    int cursor;
    int bufferAddress;
    bool programCheck;
};

void PrintTo(const WriteCase& c, std::ostream* out) {
    *out << c.name;
}

class WriteTest : public EngineTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(WriteTest, GivesTheExpectedCells) {
    const WriteCase& c = GetParam();
    for (const Bytes& record : c.records) {
        feed(record);
    }
    for (const auto& [address, value] : c.cells) {
        EXPECT_EQ(at(address), value) << "address " << address;
    }
    EXPECT_EQ(engine.cursorAddress, c.cursor);
    EXPECT_EQ(engine.bufferAddress, c.bufferAddress);
    EXPECT_EQ(engine.isProgramCheck(), c.programCheck);
}

const WriteCase kWriteCases[] = {
    {"EraseWriteProtectedHello",
     {{0xF5, 0xC3, 0x11, 0x40, 0x40, 0x1D, 0x60, 0xC8, 0xC5, 0xD3, 0xD3, 0xD6}},
     {{0, cell::attributeCell(0x60)}, {1, 0xC8}, {2, 0xC5}, {5, 0xD6}, {6, 0}},
     0,
     6,
     false},
    {"WriteWithoutSbaStartsAtTheCursor",
     {{0xF5, 0xC2, 0x11, 0x40, 0x4A, 0x13}, {0xF1, 0xC2, A, B}},
     {{10, A}, {11, B}, {0, 0}},
     10,
     12,
     false},
    {"OutOfRangeSbaSuppressesCharactersUntilTheNextSba",
     {{0xF1, 0xC2, 0x11, 0x07, 0xD0, A, B, 0x11, 0x40, 0x40, C}},
     {{80, 0}, {81, 0}, {0, C}},
     0,
     1,
     true},
    {"SuppressionLastsAcrossRecords",
     {{0xF1, 0xC2, 0x11, 0x07, 0xD0}, {0xF1, 0xC2, A}},
     {{0, 0}},
     0,
     1,
     false},
    {"SbaCutOffSetsProgramCheck", {{0xF1, 0xC2, A, 0x11, 0x40}}, {{0, A}}, 0, 1, true},
    {"SfReplacesTheWholeCell",
     {{0xF5, 0xC2, 0x28, 0x42, 0xF2, A, 0x11, 0x40, 0x40, 0x1D, 0xF0}},
     {{0, cell::attributeCell(0xF0)}},
     0,
     1,
     false},
    {"ProgramTabAfterACharacterNullsTheRestOfTheField",
     {kTwoFields, {0xF1, 0xC2, 0x11, 0x40, 0x41, B, 0x05, C}},
     {{1, B}, {2, 0}, {10, 0}, {20, cell::attributeCell(0x40)}, {21, C}},
     0,
     22,
     false},
    {"ProgramTabAfterAnOrderOnlyMoves",
     {kTwoFields, {0xF1, 0xC2, 0x11, 0x40, 0x41, 0x05, C}},
     {{1, A}, {10, A}, {21, C}},
     0,
     22,
     false},
    {"ProgramTabWithNoUnprotectedFieldAfterGoesToZero",
     {kTwoFields, {0xF1, 0xC2, 0x11, 0x40, 0xE9, 0x05}},
     {{41, B}},
     0,
     0,
     false},
    {"ProgramTabAfterACharacterInTheLastFieldStopsAtTheLastAddress",
     {kTwoFields, {0xF1, 0xC2, 0x11, 0x40, 0xE9, C, 0x05}},
     {{41, C}, {42, 0}, {0, cell::attributeCell(0x40)}},
     0,
     0,
     false},
    {"RepeatToTheCurrentAddressFillsEverything",
     {kTwoFields, {0xF1, 0xC2, 0x11, 0x40, 0x45, 0x3C, 0x40, 0x45, C}},
     {{0, C}, {5, C}, {20, C}, {1919, C}},
     0,
     5,
     false},
    {"RepeatWithGraphicEscapeFillsWithDash",
     {{0xF5, 0xC2, 0x11, 0x40, 0x45, 0x3C, 0x40, 0x4A, 0x08, A}},
     {{4, 0}, {5, 0x60}, {9, 0x60}, {10, 0}},
     0,
     10,
     false},
    {"RepeatWrapsAndCarriesCharacterAttributes",
     {{0xF5, 0xC2, 0x11, 0x5D, 0x7E, 0x28, 0x42, 0xF2, 0x3C, 0x40, 0x42, A}},
     {{1918, A | Red}, {1919, A | Red}, {0, A | Red}, {1, A | Red}, {2, 0}},
     0,
     2,
     false},
    {"RepeatOutOfRangeStopSetsProgramCheckAndWraps",
     {{0xF5, 0xC2, 0x3C, 0x07, 0x82, A}},
     {{0, A}, {1, A}, {2, 0}},
     0,
     2,
     true},
    {"RepeatCutOffAfterGraphicEscape",
     {{0xF5, 0xC2, 0x3C, 0x40, 0x45, 0x08}},
     {{0, 0}},
     0,
     0,
     true},
    {"EraseUnprotectedToAddressSkipsProtectedFields",
     {kTwoFields, {0xF1, 0xC2, 0x11, 0x40, 0x43, 0x12, 0x40, 0xE9}},
     {{1, A}, {2, A}, {3, 0}, {10, 0}, {20, cell::attributeCell(0x40)}, {41, B}},
     0,
     41,
     false},
    {"EraseUnprotectedToTheCurrentAddressErasesTheWholeBuffer",
     {kTwoFields, {0xF1, 0xC2, 0x11, 0x40, 0x43, 0x12, 0x40, 0x43}},
     {{1, 0}, {10, 0}, {41, B}, {42, B}},
     0,
     3,
     false},
    {"GraphicEscapeStoresDash", {{0xF5, 0xC2, 0x08, 0xC1, A}}, {{0, 0x60}, {1, A}}, 0, 2, false},
    {"NewLineMovesToTheNextRowWithoutStoring",
     {{0xF5, 0xC2, 0x11, 0x40, 0x45, 0x15, A}},
     {{5, 0}, {80, A}},
     0,
     81,
     false},
    {"NewLineOnTheLastRowWrapsToZero",
     {{0xF5, 0xC2, 0x11, 0x5D, 0x50, 0x15, A}},
     {{0, A}},
     0,
     1,
     false},
    {"InsertCursor", {{0xF5, 0xC2, 0x11, 0xC1, 0x50, 0x13, A}}, {{80, A}}, 80, 81, false},
    {"UnknownCommandWritesTheWholeRecord", {{0x0E, A}}, {{0, 0x0E}, {1, A}}, 0, 2, false},
    {"FormatControlCodesAreStored",
     {{0xF5, 0xC2, 0x00, 0x1C, 0x1E, 0xFF}},
     {{0, 0}, {1, 0x1C}, {2, 0x1E}, {3, 0xFF}},
     0,
     4,
     false},
    {"StartFieldExtendedAppliesItsPairs",
     {{0xF5, 0xC2, 0x29, 0x03, 0xC0, 0x60, 0x42, 0xF2, 0x41, 0xF4, A}},
     {{0, cell::attributeCell(0x60) | Red | cell::Underscore | cell::ExtendedField}, {1, A}},
     0,
     2,
     false},
    {"StartFieldExtendedWithoutPairs",
     {{0xF5, 0xC2, 0x29, 0x00, A}},
     {{0, cell::attributeCell(0) | cell::ExtendedField}, {1, A}},
     0,
     2,
     false},
    {"StartFieldExtendedCutOffStopsWithoutProgramCheck",
     {{0xF5, 0xC2, A, 0x29, 0x02, 0xC0, 0x60}},
     {{0, A}, {1, 0}},
     0,
     1,
     false},
    {"ModifyFieldChangesTheAttributeItFinds",
     {{0xF5, 0xC2, 0x29, 0x01, 0x42, 0xF4, 0x11, 0x40, 0x40, 0x2C, 0x02, 0x41, 0xF1, 0xC0, 0x20}},
     {{0,
       cell::attributeCell(0x20) | (4u << cell::ColourShift) | cell::Blink | cell::ExtendedField}},
     0,
     1,
     false},
    {"ModifyFieldOnACharacterStopsTheWrite",
     {{0xF5, 0xC2, A, 0x11, 0x40, 0x40, 0x2C, 0x00, B}},
     {{0, A}},
     0,
     0,
     false},
    {"SetAttributeColourColoursTheFollowingCharacters",
     {{0xF5, 0xC2, 0x28, 0x42, 0xF2, A, B}},
     {{0, A | Red}, {1, B | Red}},
     0,
     2,
     false},
    {"SetAttributeResetGivesOnlyTheResetMark",
     {{0xF5, 0xC2, 0x28, 0x42, 0xF2, A, 0x28, 0x00, 0x00, B}},
     {{0, A | Red}, {1, B | cell::ResetMark}},
     0,
     2,
     false},
    {"SetAttributeHighlightsAccumulate",
     {{0xF5, 0xC2, 0x28, 0x41, 0xF1, 0x28, 0x41, 0xF4, A, 0x28, 0x41, 0x00, B}},
     {{0, A | cell::Blink | cell::Underscore}, {1, B | cell::ResetMark}},
     0,
     2,
     false},
    {"SetAttributeFieldAttributeReplacesTheCell",
     {{0xF5, 0xC2, A, 0x11, 0x40, 0x40, 0x28, 0xC0, 0x20}},
     {{0, cell::attributeCell(0x20)}},
     0,
     0,
     false},
    {"SetAttributeOfUnknownTypeIsIgnored",
     {{0xF5, 0xC2, 0x28, 0xC1, 0xF2, A}},
     {{0, A}},
     0,
     1,
     false},
};

INSTANTIATE_TEST_SUITE_P(Orders, WriteTest, ::testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return info.param.name; });

TEST_F(EngineTest, HelloRecordRestoresTheKeyboard) {
    engine.lastAid = 0x7D;
    feed({0xF5, 0xC3, 0x11, 0x40, 0x40, 0x1D, 0x60, 0xC8, 0xC5, 0xD3, 0xD3, 0xD6});
    EXPECT_EQ(engine.keyboardUnlocked, 1);
    EXPECT_EQ(engine.lastAid, 0x60);
}

TEST_F(EngineTest, WccResetsModifiedTagsAndSoundsTheAlarm) {
    feed({0xF5, 0xC2, 0x1D, 0x41, A, 0x1D, 0x61});
    EXPECT_EQ(at(0), cell::attributeCell(0x41));
    EXPECT_TRUE(nonRepaintCalls().empty());
    feed({0xF1, 0x05});  // reset MDT, sound alarm
    EXPECT_EQ(at(0), cell::attributeCell(0x40));
    EXPECT_EQ(at(2), cell::attributeCell(0x60));
    EXPECT_EQ(nonRepaintCalls(), std::vector<std::string>{"beep 64"});
    settings.bell = 0;
    feed({0xF1, 0x04});
    EXPECT_EQ(nonRepaintCalls().size(), 1u);
}

TEST_F(EngineTest, ResetReplyModesOnlyWithErase) {
    engine.replyHighlight = engine.replyColour = 1;
    feed({0xF1, 0x40});
    EXPECT_EQ(engine.replyHighlight, 1);
    feed({0xF5, 0x40});
    EXPECT_EQ(engine.replyHighlight, 0);
    EXPECT_EQ(engine.replyColour, 0);
}

TEST_F(EngineTest, EraseAllUnprotectedKeepsProtectedFieldsAndTags) {
    feed(kTwoFields);
    feed({0xF1, 0xC2, 0x11, 0x40, 0x55, B, 0x11, 0x40, 0x46, 0x13});
    engine.markModified(21);
    engine.keyboardUnlocked = 0;
    feed({0x6F});
    EXPECT_EQ(at(1), 0u);
    EXPECT_EQ(at(21), 0u);
    EXPECT_EQ(at(41), B);
    EXPECT_EQ(at(20), cell::attributeCell(0x41));  // MDT stays
    EXPECT_EQ(engine.cursorAddress, 0);
    EXPECT_EQ(engine.bufferAddress, 0);
    EXPECT_EQ(engine.keyboardUnlocked, 0);
}

TEST_F(EngineTest, EraseAllUnprotectedOnAnUnformattedScreenClearsAll) {
    feed({0xF5, 0xC2, A, B});
    feed({0x0F});
    EXPECT_EQ(at(0), 0u);
    EXPECT_EQ(at(1), 0u);
}

TEST_F(EngineTest, AlternateSizeFollowsTheModel) {
    settings.alternate = 24;
    feed({0x7E, 0xC2, A});
    EXPECT_EQ(engine.rows(), 24);
    EXPECT_EQ(engine.alternateActive, 0);
    EXPECT_EQ(at(0), A);

    settings.alternate = 32;
    feed({0x0D, 0xC2, 0x11, 0x5D, 0x7F, B});  // 1919, then one more character
    EXPECT_EQ(engine.rows(), 32);
    EXPECT_EQ(engine.cells(), 2560);
    EXPECT_EQ(image.visibleRows(), 32);
    EXPECT_EQ(at(1919), B);
    EXPECT_EQ(engine.bufferAddress, 1920);  // no wrap on the larger screen
    feed({0x7E, 0xC2, 0x11, 0xE7, 0x7F, C});
    EXPECT_EQ(at(2559), C);

    feed({0xF5, 0xC2});
    EXPECT_EQ(engine.rows(), 24);
    EXPECT_EQ(engine.alternateActive, 0);
    EXPECT_EQ(engine.presentationSpace[2559], 0u);  // a size change clears every cell
}

TEST_F(EngineTest, OutOfRangeAddressOnTheLargeScreenIsValidThere) {
    feed({0x7E, 0xC2, 0x11, 0xE7, 0x7F, A});  // 2559 is in range on a model 3
    EXPECT_FALSE(engine.isProgramCheck());
    feed({0xF5, 0xC2, 0x11, 0xE7, 0x7F, A});  // ... and not on the default size
    EXPECT_TRUE(engine.isProgramCheck());
    EXPECT_EQ(at(2559 % 1920), 0u);
}

// Records the calls the engine makes to the parts that live beside it.
class RecordingExtensions : public InboundExtensions {
  public:
    void buildReadReply(vt& engine, uint8_t aid) override {
        calls.push_back("read " + std::to_string(engine.readMode) + " aid " + std::to_string(aid) +
                        " cell0 " + std::to_string(engine.presentationSpace[0]));
    }
    void writeStructuredField(vt&, const uint8_t*, size_t length) override {
        calls.push_back("wsf " + std::to_string(length));
    }
    void recordProcessed(vt& engine) override {
        calls.push_back("done unlocked " + std::to_string(engine.keyboardUnlocked));
    }
    std::vector<std::string> calls;
};

TEST_F(EngineTest, ReadCommandsBuildTheReplyBeforeWhatFollows) {
    RecordingExtensions extensions;
    engine.setExtensions(&extensions);
    feed({0xF2, 0xF1, 0xC2, A});
    feed({0xF6});
    feed({0x6E, 0x02});
    feed({0xF3, 0x00, 0x03, 0x01});
    feed(Bytes{});
    const std::vector<std::string> expected = {
        "read 1 aid 96 cell0 0",   "done unlocked 1",
        "read 2 aid 96 cell0 193", "done unlocked 1",
        "read 3 aid 96 cell0 193", "read 1 aid 96 cell0 193",
        "done unlocked 1",         "wsf 3",
        "done unlocked 1",         "done unlocked 1",
    };
    EXPECT_EQ(extensions.calls, expected);
    EXPECT_EQ(at(0), A);
}

TEST_F(EngineTest, ZeroLengthRecordOnlyRenders) {
    feed({0xF5, 0xC2, A});
    const auto before = engine.presentationSpace;
    ui.calls.clear();
    EXPECT_EQ(feed(Bytes{}), 0);
    EXPECT_EQ(engine.presentationSpace, before);
    EXPECT_EQ(ui.calls, std::vector<std::string>{"repaint incremental"});
}

TEST_F(EngineTest, ProgramCheckIsClearedByTheNextRecordAndByReadingIt) {
    feed({0xF1, 0xC2, 0x11});
    EXPECT_EQ(engine.programCheck, 1);
    feed({0xF1, 0xC2});
    EXPECT_EQ(engine.programCheck, 0);
    feed({0xF1, 0xC2, 0x28, 0x42});
    EXPECT_TRUE(engine.isProgramCheck());
    EXPECT_FALSE(engine.isProgramCheck());
}

}  // namespace
}  // namespace kestrel::test
