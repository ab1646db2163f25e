// Field editing from the keyboard: character entry with protection, numeric
// check, automatic skip and insert mode; backspace, delete and the erase
// functions.
#include "keyboard_fixture.h"

namespace kestrel::test {
namespace {

namespace fn = host_function;

// Each case: a screen, the cursor, the mode, what is typed, then the cells
// 0-10 as text ('|' attribute, '_' null), the cursor and the input error.
struct EntryCase {
    const char* name;
    std::vector<ScreenField> fields;
    int cursor;
    bool insert;
    std::string typed;
    std::string after;
    int cursorAfter;
    bool refused;
    bool nocheck = false;
};

void PrintTo(const EntryCase& c, std::ostream* out) {
    *out << c.name;
}

class CharacterEntryTest : public KeyboardTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(CharacterEntryTest, StoresOrRefuses) {
    const EntryCase& c = GetParam();
    settings.nocheck = c.nocheck;
    feed(screen(c.fields, c.cursor));
    engine.insertMode = c.insert;
    type(c.typed);
    EXPECT_EQ(text(0, 11), c.after);
    EXPECT_EQ(engine.cursorAddress, c.cursorAfter);
    EXPECT_EQ(engine.inputError, c.refused ? 1 : 0);
}

const EntryCase kEntryCases[] = {
    {"OverwriteReplacesAndMovesOn",
     {{0, kInput, "AB"}, {10, kProtectedText}},
     1,
     false,
     "X",
     "|XB_______|",
     2,
     false},
    {"ProtectedFieldRefuses",
     {{0, kProtectedText, "AB"}, {10, kInput}},
     1,
     false,
     "X",
     "|AB_______|",
     1,
     true},
    {"AttributePositionRefuses",
     {{0, kInput, "AB"}, {10, kInput}},
     10,
     false,
     "X",
     "|AB_______|",
     10,
     true},
    {"NumericFieldRefusesALetter",
     {{0, kNumericInput}, {10, kProtectedText}},
     1,
     false,
     "A",
     "|_________|",
     1,
     true},
    {"NumericFieldTakesDigitsSignsBlankAndSeparators",
     {{0, kNumericInput}, {10, kProtectedText}},
     1,
     false,
     "5- +.,",
     "|5- +.,___|",
     7,
     false},
    {"NocheckLetsALetterIntoANumericField",
     {{0, kNumericInput}, {10, kProtectedText}},
     1,
     false,
     "A",
     "|A________|",
     2,
     false,
     true},
    // Filling the last position skips over an autoskip field to the next input field.
    {"AutoskipFieldIsSkipped",
     {{0, kInput}, {3, kAutoskip, "P"}, {6, kInput}, {10, kProtectedText}},
     2,
     false,
     "X",
     "|_X|P_|___|",
     7,
     false},
    // An ordinary protected field is entered, and the next character refused there.
    {"ProtectedFieldAfterAFullFieldIsEntered",
     {{0, kInput}, {3, kProtectedText, "P"}, {6, kInput}, {10, kProtectedText}},
     2,
     false,
     "XY",
     "|_X|P_|___|",
     4,
     true},
    // Attributes in a row are stepped over until a character position is reached.
    {"AttributesInARowAreSteppedOver",
     {{0, kInput}, {3, kInput}, {4, kProtectedText}, {10, kProtectedText}},
     2,
     false,
     "X",
     "|_X||_____|",
     5,
     false},
    {"InsertShiftsTheRestRight",
     {{0, kInput, "AB"}, {10, kProtectedText}},
     1,
     true,
     "X",
     "|XAB______|",
     2,
     false},
    {"InsertIntoAFullFieldIsRefused",
     {{0, kInput, "ABCDEFGHI"}, {10, kProtectedText}},
     1,
     true,
     "X",
     "|ABCDEFGHI|",
     1,
     true},
    {"InsertPushesOutATrailingBlank",
     {{0, kInput, "ABCDEFGH "}, {10, kProtectedText}},
     1,
     true,
     "X",
     "|XABCDEFGH|",
     2,
     false},
    // On the last position the character there would be pushed out: the
    // full-field rule holds there too.
    {"InsertOnTheLastPositionKeepsItsCharacter",
     {{0, kInput, "ABCDEFGHI"}, {10, kProtectedText}},
     9,
     true,
     "X",
     "|ABCDEFGHI|",
     9,
     true},
    {"InsertOnTheLastPositionReplacesABlankAndStays",
     {{0, kInput, "ABCDEFGH "}, {10, kProtectedText}},
     9,
     true,
     "X",
     "|ABCDEFGHX|",
     9,
     false},
    {"InsertInAHiddenFieldOverwrites",
     {{0, kHiddenInput, "AB"}, {10, kProtectedText}},
     1,
     true,
     "X",
     "|XB_______|",
     2,
     false},
    {"TypingAcrossAFieldBoundarySkips",
     {{0, kInput}, {3, kInput}, {10, kProtectedText}},
     1,
     false,
     "ABC",
     "|AB|C_____|",
     5,
     false},
};

INSTANTIATE_TEST_SUITE_P(Keyboard, CharacterEntryTest, ::testing::ValuesIn(kEntryCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(KeyboardTest, TypingSetsTheMdtAndTheTypedMark) {
    show({{0, kInput}, {10, kProtectedText}}, 1);
    EXPECT_FALSE(modified(0));
    type("A");
    EXPECT_TRUE(modified(0));
    EXPECT_EQ(at(1), 0xC1u | cell::TypedMark);
}

TEST_F(KeyboardTest, RefusedCharacterLeavesTheMdtClear) {
    show({{0, kNumericInput}, {10, kProtectedText}}, 1);
    type("A");
    EXPECT_FALSE(modified(0));
}

TEST_F(KeyboardTest, OverwriteAtTheEndOfAnUnformattedScreenWrapsToTheTop) {
    show({}, 1919);
    type("AB");
    EXPECT_EQ(text(1919, 1), "A");
    EXPECT_EQ(text(0, 1), "B");
    EXPECT_EQ(engine.cursorAddress, 1);
}

TEST_F(KeyboardTest, PasteKeepsTheCursorOnTheAttributeOfAFullField) {
    show({{0, kInput}, {3, kAutoskip}, {6, kInput}}, 2);
    host.pasting = true;
    type("X");
    EXPECT_EQ(engine.cursorAddress, 3);
}

TEST_F(KeyboardTest, InsertOnAnUnformattedScreenWithoutANullIsRefused) {
    show({}, 0);
    std::fill_n(engine.presentationSpace.begin(), engine.cells(), 0xC1u);
    engine.insertMode = 1;
    type("X");
    EXPECT_EQ(engine.inputError, 1);
    EXPECT_EQ(text(0, 3), "AAA");
}

TEST_F(KeyboardTest, InsertShiftsAcrossTheEndOfTheBuffer) {
    // The field runs from 1915 over the end of the buffer to address 4.
    show({{5, kProtectedText}, {1914, kInput, "ABCDE"}}, 1915);
    engine.insertMode = 1;
    type("X");
    EXPECT_EQ(text(1915, 5) + text(0, 5), "XABCDE____");
    EXPECT_EQ(engine.cursorAddress, 1916);
}

// DUP and FM are stored as the control characters they are, never through the
// display character set, in insert mode too; DUP then tabs on.
TEST_F(KeyboardTest, DupAndFieldMarkAreStoredAsTheyAre) {
    for (const bool insert : {false, true}) {
        show({{0, kInput, "AB"}, {10, kInput}, {20, kProtectedText}}, 1);
        engine.insertMode = insert;
        run(fn::kDup);
        EXPECT_EQ(at(1) & cell::CharacterMask, 0x1Cu) << "insert " << insert;
        EXPECT_EQ(engine.cursorAddress, 11) << "insert " << insert;
        engine.insertMode = insert;
        run(fn::kFieldMark);
        EXPECT_EQ(at(11) & cell::CharacterMask, 0x1Eu) << "insert " << insert;
    }
}

TEST_F(KeyboardTest, RealFunctionsTypeTheirOperator) {
    show({{0, kNumericInput}, {10, kProtectedText}}, 1);
    for (const int function : {fn::kRealPlus, fn::kRealMinus, fn::kRealMultiply, fn::kRealDivide}) {
        run(function);
    }
    EXPECT_EQ(text(1, 4), "+-*/");
}

// Each case: a screen of fields at 0 and 10, a function at the cursor, the
// cells 0-10 afterwards, the cursor, and whether the field at 0 has its MDT.
struct EditCase {
    const char* name;
    std::vector<ScreenField> fields;
    int cursor;
    int function;
    std::string after;
    int cursorAfter;
    bool modified;
};

void PrintTo(const EditCase& c, std::ostream* out) {
    *out << c.name;
}

class EditFunctionTest : public KeyboardTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(EditFunctionTest, ChangesTheField) {
    const EditCase& c = GetParam();
    feed(screen(c.fields, c.cursor));
    run(c.function);
    EXPECT_EQ(text(0, 11), c.after);
    EXPECT_EQ(engine.cursorAddress, c.cursorAfter);
    EXPECT_EQ(modified(0), c.modified);
}

const std::vector<ScreenField> kAbcd = {{0, kInput, "ABCD"}, {10, kProtectedText, "P"}};
const std::vector<ScreenField> kHiddenAbcd = {{0, kHiddenInput, "ABCD"}, {10, kProtectedText, "P"}};
const std::vector<ScreenField> kProtectedAbcd = {{0, kProtectedText, "ABCD"}, {10, kInput, "P"}};

const EditCase kEditCases[] = {
    {"BackspaceClosesUp", kAbcd, 3, fn::kLeftDelete, "|ACD______|", 2, true},
    {"BackspaceAtTheFieldStartDeletesUnderTheCursor", kAbcd, 1, fn::kLeftDelete, "|BCD______|", 1,
     true},
    {"BackspaceOverNullsLeavesTheMdtClear", kAbcd, 8, fn::kLeftDelete, "|ABCD_____|", 7, false},
    {"BackspaceInAHiddenFieldEmptiesIt", kHiddenAbcd, 4, fn::kLeftDelete, "|_________|", 1, false},
    {"BackspaceInAProtectedFieldDoesNothing", kProtectedAbcd, 3, fn::kLeftDelete, "|ABCD_____|", 3,
     false},
    {"BackspaceOnAnAttributeDoesNothing", kAbcd, 0, fn::kLeftDelete, "|ABCD_____|", 0, false},
    {"DeleteClosesUp", kAbcd, 2, fn::kDelete, "|ACD______|", 2, true},
    {"DeleteOnTheLastPositionSetsTheMdt",
     {{0, kInput, "ABCDEFGHI"}, {10, kProtectedText}},
     9,
     fn::kDelete,
     "|ABCDEFGH_|",
     9,
     true},
    {"DeleteInAHiddenFieldDoesNothing", kHiddenAbcd, 2, fn::kDelete, "|ABCD_____|", 2, false},
    {"EraseEofFromTheCursor", kAbcd, 3, fn::kEraseEof, "|AB_______|", 3, true},
    {"EraseEofOverNullsLeavesTheMdtClear", kAbcd, 6, fn::kEraseEof, "|ABCD_____|", 6, false},
    {"EraseEofInAProtectedFieldDoesNothing", kProtectedAbcd, 3, fn::kEraseEof, "|ABCD_____|", 3,
     false},
    {"EraseFieldFromItsStart", kAbcd, 3, fn::kEraseField, "|_________|", 1, true},
    {"EraseFieldInAHiddenFieldLeavesTheMdtAlone", kHiddenAbcd, 3, fn::kEraseField, "|_________|", 1,
     false},
};

INSTANTIATE_TEST_SUITE_P(Keyboard, EditFunctionTest, ::testing::ValuesIn(kEditCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(KeyboardTest, BackspaceClosesUpOnlyToTheEndOfTheRow) {
    // The field runs from 71 over the row end at 79 into the next row.
    show({{70, kInput, "ABCDEFGHIJKLMNOPQRST"}}, 72);
    run(fn::kLeftDelete);
    EXPECT_EQ(text(70, 21), "|BCDEFGHI_JKLMNOPQRST");
    EXPECT_EQ(engine.cursorAddress, 71);
}

TEST_F(KeyboardTest, BackspaceInAHiddenFieldClearsTheTypedMarks) {
    show({{0, kHiddenInput}, {10, kProtectedText}}, 1);
    type("PW");
    characterEvent(engine, host, key_code::kRubout);
    EXPECT_EQ(at(1), 0u);
    EXPECT_EQ(at(2), 0u);
    EXPECT_EQ(engine.cursorAddress, 1);
}

TEST_F(KeyboardTest, EraseOnAnUnformattedScreenDoesNothing) {
    show({}, 0);
    type("ABC");
    for (const int function : {fn::kEraseEof, fn::kEraseField}) {
        engine.cursorAddress = 1;
        run(function);
        EXPECT_EQ(text(0, 4), "ABC_");
        EXPECT_EQ(engine.cursorAddress, 1);
    }
}

TEST_F(KeyboardTest, EraseInputNullsEveryUnprotectedFieldAndNothingElse) {
    show({{0, kInput, "AB"},
          {5, kProtectedText, "PQ"},
          {10, kHiddenInput, "CD"},
          {15, kProtectedText}},
         12);
    run(fn::kEraseInput);
    EXPECT_EQ(text(0, 16), "|____|PQ__|____|");
    EXPECT_EQ(engine.cursorAddress, 12);
    EXPECT_FALSE(modified(0));
    EXPECT_FALSE(modified(10));
}

TEST_F(KeyboardTest, EraseInputOnAnUnformattedScreenClearsAllAndHomesTheCursor) {
    show({}, 0);
    type("ABC");
    run(fn::kEraseInput);
    EXPECT_EQ(text(0, 4), "____");
    EXPECT_EQ(engine.cursorAddress, 0);
}

}  // namespace
}  // namespace kestrel::test
