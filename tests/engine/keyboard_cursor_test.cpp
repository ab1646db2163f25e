// Cursor movement from the keyboard: the cursor keys, tab and backtab, new
// line, home and the start and end of a field.
#include "keyboard_fixture.h"

namespace kestrel::test {
namespace {

namespace fn = host_function;

// A title, two input fields (at 10 and 30) and protected fields between them.
const std::vector<ScreenField> kPanel = {{0, kProtectedText, "TITLE"},
                                         {10, kInput},
                                         {20, kProtectedText},
                                         {30, kInput},
                                         {40, kProtectedText}};
const std::vector<ScreenField> kOneInput = {
    {0, kProtectedText}, {10, kInput}, {20, kProtectedText}};
const std::vector<ScreenField> kNoInput = {{0, kProtectedText}, {40, kProtectedText}};
const std::vector<ScreenField> kUnformatted = {};

// Each case: a screen, the cursor, a key (key code, Shift) or a function, and
// where the cursor goes.
struct MoveCase {
    const char* name;
    std::vector<ScreenField> fields;
    int cursor;
    int keyCode;  // 0: FUNCTION instead
    bool shift;
    int function;
    int cursorAfter;
};

void PrintTo(const MoveCase& c, std::ostream* out) {
    *out << c.name;
}

class CursorMoveTest : public KeyboardTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(CursorMoveTest, PutsTheCursorThere) {
    const MoveCase& c = GetParam();
    feed(screen(c.fields, c.cursor));
    if (c.keyCode) {
        EXPECT_EQ(key(c.keyCode, c.shift), 0);
    } else {
        run(c.function);
    }
    EXPECT_EQ(engine.cursorAddress, c.cursorAfter);
    EXPECT_EQ(engine.inputError, 0);
}

constexpr int kTab = key_code::kTab;

const MoveCase kMoveCases[] = {
    // The cursor keys wrap within their row or column.
    {"RightOnTheLastColumnGoesToTheFirstOfTheSameRow", kUnformatted, 159, key_code::kRight, false,
     0, 80},
    {"LeftOnTheFirstColumnGoesToTheLastOfTheSameRow", kUnformatted, 80, key_code::kLeft, false, 0,
     159},
    {"UpOnTheFirstRowGoesToTheLastRow", kUnformatted, 5, key_code::kUp, false, 0, 1845},
    {"DownOnTheLastRowGoesToTheFirstRow", kUnformatted, 1845, key_code::kDown, false, 0, 5},
    {"CursorKeysIgnoreFields", kPanel, 9, key_code::kRight, false, 0, 10},
    // Tab: to the first position of the next input field, wrapping.
    {"TabFromATitle", kPanel, 0, kTab, false, 0, 11},
    {"TabToTheNextField", kPanel, 11, kTab, false, 0, 31},
    {"TabFromTheLastFieldWraps", kPanel, 35, kTab, false, 0, 11},
    {"TabOnAnInputAttributeEntersItsField", kPanel, 10, kTab, false, 0, 11},
    {"TabWithASingleFieldReturnsToItsStart", kOneInput, 15, kTab, false, 0, 11},
    {"TabWithoutInputFieldsStays", kNoInput, 5, kTab, false, 0, 5},
    {"TabOnAnUnformattedScreenStays", kUnformatted, 5, kTab, false, 0, 5},
    {"TabPassesAnEmptyField",
     {{10, kInput}, {11, kInput}, {20, kProtectedText}},
     0,
     kTab,
     false,
     0,
     12},
    // Backtab: the field being left is passed over.
    {"BacktabFromTheMiddleOfAField", kPanel, 35, kTab, true, 0, 11},
    {"BacktabFromTheStartOfAField", kPanel, 31, kTab, true, 0, 11},
    {"BacktabFromTheFirstFieldWraps", kPanel, 15, kTab, true, 0, 31},
    {"BacktabWithASingleFieldStays", kOneInput, 15, kTab, true, 0, 15},
    {"BacktabFunction", kPanel, 35, 0, false, fn::kBacktab, 11},
    {"TabFunction", kPanel, 15, 0, false, fn::kTab, 31},
    // Home, start and end of field.
    {"HomeGoesToTheFirstInputField", kPanel, 35, 0, false, fn::kHome, 11},
    {"HomeWithoutInputFieldsGoesToZero", kNoInput, 35, 0, false, fn::kHome, 0},
    {"StartOfFieldInAnInputField", kPanel, 35, 0, false, fn::kStartOfField, 31},
    {"StartOfFieldFromAProtectedField", kPanel, 25, 0, false, fn::kStartOfField, 11},
    {"StartOfFieldWithoutInputFieldsGoesToZero", kNoInput, 25, 0, false, fn::kStartOfField, 0},
    {"EndOfField", kPanel, 31, 0, false, fn::kEndOfField, 39},
    {"EndOfFieldOnAnUnformattedScreenGoesToZero", kUnformatted, 31, 0, false, fn::kEndOfField, 0},
    // New line: the next row's first position, or the next input field.
    {"NewLineIntoAnInputFieldOnTheNextRow", {{0, kInput}}, 5, 0, false, fn::kNewLine, 80},
    {"NewLineOverAProtectedLabelTabsToItsField",
     {{0, kProtectedText, "NAME"},
      {10, kInput},
      {80, kProtectedText, "PASS"},
      {90, kInput},
      {160, kProtectedText}},
     12,
     0,
     false,
     fn::kNewLine,
     91},
    {"NewLineOnTheLastRowWrapsToTheFirstField", kOneInput, 1850, 0, false, fn::kNewLine, 11},
};

INSTANTIATE_TEST_SUITE_P(Keyboard, CursorMoveTest, ::testing::ValuesIn(kMoveCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(KeyboardTest, UpWrapsOverAllRowsOfTheAlternateSize) {
    settings.alternate = 32;
    feed({0x7E, 0x02});  // Erase/Write Alternate
    ASSERT_EQ(engine.rows(), 32);
    engine.cursorAddress = 5;
    key(key_code::kUp);
    EXPECT_EQ(engine.cursorAddress, 31 * 80 + 5);
}

TEST_F(KeyboardTest, ShiftArrowExtendsTheSelectionWhenAsked) {
    show({}, 100);
    settings.shift_arrow = 1;
    key(key_code::kRight, true);
    settings.shift_arrow = 0;
    key(key_code::kRight, true);
    EXPECT_EQ(host.calls, std::vector<std::string>{"select 100-101"});
    EXPECT_EQ(engine.cursorAddress, 102);
}

}  // namespace
}  // namespace kestrel::test
