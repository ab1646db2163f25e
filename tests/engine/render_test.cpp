// Rendering the presentation space into the display image.
#include "engine/display_cell.h"
#include "engine_fixture.h"

namespace kestrel::test {
namespace {

using Bytes = std::vector<uint8_t>;
namespace d = display;

constexpr uint32_t Green = 4u << d::ColourShift;
constexpr uint32_t Blue = 1u << d::ColourShift;
constexpr uint32_t Red = 2u << d::ColourShift;
constexpr uint32_t White = 7u << d::ColourShift;
constexpr uint32_t Yellow = 6u << d::ColourShift;

class RenderTest : public EngineTest {
  protected:
    // The display cell of buffer address A.
    uint32_t shown(int a) const { return image.cell(a / 80 + 1, a % 80 + 1); }
};

TEST_F(RenderTest, UnformattedScreenIsProtectedGreen) {
    feed({0xF5, 0xC2, 0xC1});
    EXPECT_EQ(shown(0), 'A' | Green | d::Protected);
    EXPECT_EQ(shown(1919), ' ' | Green | d::Protected);
}

TEST_F(RenderTest, BaseColourByProtectionAndIntensity) {
    // Fields at 0, 10, 20, 30: unprotected normal, unprotected intensified,
    // protected normal, protected intensified; each holds an A.
    feed({0xF5, 0xC2, 0x1D, 0x40, 0xC1, 0x11, 0x40, 0x4A, 0x1D, 0xC8, 0xC1, 0x11,
          0x40, 0x54, 0x1D, 0x60, 0xC1, 0x11, 0x40, 0x5E, 0x1D, 0xE8, 0xC1});
    for (int a : {0, 10, 20, 30}) {
        EXPECT_EQ(shown(a), 0x2020u) << a;  // an attribute position is a protected blank
    }
    EXPECT_EQ(shown(1), 'A' | Green | d::Formatted);
    EXPECT_EQ(shown(11), 'A' | Red | d::Formatted | d::Intensified);
    EXPECT_EQ(shown(21), 'A' | Blue | d::Formatted | d::Protected);
    EXPECT_EQ(shown(31), 'A' | White | d::Formatted | d::Protected | d::Intensified);
    EXPECT_EQ(shown(1919), ' ' | White | d::Formatted | d::Protected | d::Intensified);
}

TEST_F(RenderTest, ExtendedColourAndHighlightOfTheField) {
    feed({0xF5, 0xC2, 0x29, 0x03, 0xC0, 0x60, 0x42, 0xF6, 0x41, 0xF2, 0xC1});
    EXPECT_EQ(shown(1), 'A' | Yellow | d::Formatted | d::Protected | d::Reverse);
}

TEST_F(RenderTest, CharacterColourAndHighlightRunOnUntilReset) {
    // Unprotected field at 0; SA red + blink on B, then C; SA reset, then A.
    feed({0xF5, 0xC2, 0x1D, 0x40, 0xC1, 0x28, 0x42, 0xF2, 0x28, 0x41, 0xF1, 0xC2, 0xC3, 0x28, 0x00,
          0x00, 0xC1});
    EXPECT_EQ(shown(1), 'A' | Green | d::Formatted);
    EXPECT_EQ(shown(2), 'B' | Red | d::Formatted | d::Blink);
    EXPECT_EQ(shown(3), 'C' | Red | d::Formatted | d::Blink);
    EXPECT_EQ(shown(4), 'A' | Red | d::Formatted);  // reset ends the blink, colour stays
}

TEST_F(RenderTest, NullAfterAHighlightInTheSameFieldHasNoFlags) {
    feed({0xF5, 0xC2, 0x1D, 0x40, 0x28, 0x41, 0xF4, 0xC1, 0x00, 0x11, 0x40, 0x4A, 0x1D, 0x40});
    EXPECT_EQ(shown(1), 'A' | Green | d::Formatted | d::Underscore);
    EXPECT_EQ(shown(2), uint32_t(' '));  // null with its own highlight
    EXPECT_EQ(shown(3), uint32_t(' '));  // null after a highlighted position of the field
    EXPECT_EQ(shown(11), ' ' | Green | d::Formatted);  // the next field starts afresh
}

TEST_F(RenderTest, NonDisplayFieldShowsOnlyTypedPositionsAsStars) {
    feed({0xF5, 0xC2, 0x1D, 0x4C, 0xC1, 0xC2, 0x11, 0x40, 0x4A, 0x1D, 0x60});
    engine.markModified(2);
    engine.render();
    EXPECT_EQ(shown(1), ' ' | Green | d::Formatted);
    EXPECT_EQ(shown(2), '*' | Green | d::Formatted);
}

TEST_F(RenderTest, ProtectedNonDisplayFieldDropsReverseAndUnderscore) {
    feed({0xF5, 0xC2, 0x29, 0x02, 0xC0, 0x6C, 0x41, 0xF2, 0xC1});
    EXPECT_EQ(shown(1), ' ' | Blue | d::Formatted | d::Protected);
}

TEST_F(RenderTest, SecondRenderOfAnUnchangedScreenMarksNothingDirty) {
    feed({0xF5, 0xC2, 0x1D, 0x40, 0xC1, 0x28, 0x42, 0xF2, 0xC2});
    for (int row = 1; row <= 24; ++row) {
        image.clearRowDirty(row);
        for (int column = 1; column <= 80; ++column) {
            image.clearCellDirty(row, column);
        }
    }
    engine.render();
    for (int row = 1; row <= 24; ++row) {
        EXPECT_FALSE(image.isRowDirty(row)) << row;
    }
}

TEST_F(RenderTest, SuspendedRenderingLeavesTheImageAlone) {
    engine.setRenderingSuspended(true);
    feed({0xF5, 0xC2, 0xC1});
    EXPECT_EQ(image.cell(1, 1), 0x20u);
    engine.renderCell(0);
    EXPECT_EQ(image.cell(1, 1), 0x20u);
    engine.setRenderingSuspended(false);
    engine.render();
    EXPECT_EQ(shown(0), 'A' | Green | d::Protected);
}

TEST_F(RenderTest, RenderCellKeepsTheFlagsAndHidesNonDisplayInput) {
    feed({0xF5, 0xC2, 0x1D, 0x40, 0xC1, 0x11, 0x40, 0x4A, 0x1D, 0x4C, 0xC1});
    engine.presentationSpace[1] = 0xC2;
    engine.renderCell(1);
    EXPECT_EQ(shown(1), 'B' | Green | d::Formatted);
    engine.presentationSpace[11] = 0xC3 | cell::TypedMark;
    engine.renderCell(11);
    EXPECT_EQ(shown(11) & d::CharacterMask, uint32_t('*'));
}

}  // namespace
}  // namespace kestrel::test
