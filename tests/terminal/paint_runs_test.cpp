// The paint rules without a window: runs of dirty cells, the colour of a run
// by its flags, the areas an incremental repaint invalidates, the blink tick.
#include "terminal/paint_runs.h"

#include <gtest/gtest.h>

#include "engine/display_cell.h"

namespace kestrel {
namespace {

namespace d = display;

constexpr uint32_t Red = 2u << d::ColourShift;
constexpr uint32_t Yellow = 6u << d::ColourShift;

// Distinct colours, so that each rule's choice can be told apart.
PaintOptions options(bool blinkHidden = false) {
    PaintOptions o;
    o.colours.background = 0x000001;
    o.colours.cursor = 0x000002;
    o.colours.select = 0x000003;
    o.colours.fields = 0x000004;
    o.colours.host = {0x100000, 0x110000, 0x120000, 0x130000,
                      0x140000, 0x150000, 0x160000, 0x170000};
    o.blinkHidden = blinkHidden;
    return o;
}

// The image after a first paint, so that only what a test writes is dirty.
DisplayImage cleanImage() {
    DisplayImage image;
    collectRuns(image, options());
    for (int row = 1; row <= image.visibleRows(); ++row) {
        for (int column = 1; column <= 80; ++column) {
            image.clearCellDirty(row, column);
        }
        image.clearRowDirty(row);
    }
    return image;
}

void write(DisplayImage& image, int row, int column, const std::string& text, uint32_t flags) {
    for (size_t i = 0; i < text.size(); ++i) {
        image.writeCell(row, column + int(i), uint8_t(text[i]) | flags);
    }
}

std::vector<std::string> runTexts(const std::vector<PaintRun>& runs) {
    std::vector<std::string> texts;
    for (const PaintRun& run : runs) {
        texts.push_back(std::to_string(run.row) + ":" + std::to_string(run.column) + " " +
                        run.characters);
    }
    return texts;
}

TEST(PaintRuns, EqualFlagsMakeOneRunAndCommaOrUnderscoreStandAlone) {
    DisplayImage image = cleanImage();
    write(image, 2, 1, "AB", Red);
    write(image, 2, 3, "C", Yellow);  // other flags: a new run
    write(image, 2, 5, "D", Yellow);  // a clean cell between: a new run
    write(image, 3, 1, "A,B_C", Red);
    const std::vector<PaintRun> runs = collectRuns(image, options());
    EXPECT_EQ(runTexts(runs), (std::vector<std::string>{"2:1 AB", "2:3 C", "2:5 D", "3:1 A",
                                                        "3:2 ,", "3:3 B", "3:4 _", "3:5 C"}));
    // Painting took the marks: nothing is left to paint.
    EXPECT_TRUE(collectRuns(image, options()).empty());
}

TEST(PaintRuns, UnderlineSparesCommaUnderscoreAndTheUnderlineCursor) {
    DisplayImage image = cleanImage();
    write(image, 1, 1, "A,_", d::Underscore);
    image.writeCell(1, 10, 'X' | d::Underscore | d::Cursor);
    PaintOptions o = options();
    o.cursorType = 2;
    const std::vector<PaintRun> runs = collectRuns(image, o);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_TRUE(runs[0].underline);
    EXPECT_FALSE(runs[1].underline);
    EXPECT_FALSE(runs[2].underline);
    EXPECT_FALSE(runs[3].underline);
    EXPECT_EQ(runs[3].cursor, CursorShape::Underline);
}

TEST(PaintRuns, CursorShapeByTypeAndHiddenInTheBlinkPhase) {
    for (const auto& [type, blinkOption, hidden, shape] :
         std::vector<std::tuple<int, bool, bool, CursorShape>>{
             {0, false, false, CursorShape::FullBlock},
             {1, false, false, CursorShape::HalfBlock},
             {2, false, false, CursorShape::Underline},
             {0, false, true,
              CursorShape::FullBlock},  // the phase only counts for a blinking cursor
             {0, true, false, CursorShape::FullBlock},
             {1, true, true, CursorShape::None},
         }) {
        DisplayImage image = cleanImage();
        image.writeCell(4, 4, 'Q' | d::Cursor);
        PaintOptions o = options(hidden);
        o.cursorType = type;
        o.blinkOption = blinkOption;
        const std::vector<PaintRun> runs = collectRuns(image, o);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].cursor, shape) << type << blinkOption << hidden;
    }
}

struct ColourCase {
    const char* name;
    uint32_t flags;
    bool blinkHidden;
    bool showUnprotected;
    int foreground;
    int background;
};

TEST(PaintRuns, ColoursByFlags) {
    const int bg = 0x000001, select = 0x000003, fields = 0x000004;
    const int green = 0x100000, red = 0x120000, yellow = 0x160000;
    const ColourCase cases[] = {
        {"default colour is green", 0, false, false, green, bg},
        {"host colour", Red, false, false, red, bg},
        {"green by number", 4u << d::ColourShift, false, false, 0x140000, bg},
        {"selected", Red | d::Selected, false, false, red, select},
        {"reverse", Yellow | d::Reverse, false, false, bg, yellow},
        {"reverse blink, shown phase: a solid block", Yellow | d::Reverse | d::Blink, false, false,
         yellow, yellow},
        {"reverse blink, hidden phase: the reverse text", Yellow | d::Reverse | d::Blink, true,
         false, bg, yellow},
        {"blink, hidden phase: text in the background colour", Red | d::Blink, true, false, bg, bg},
        {"blink, shown phase", Red | d::Blink, false, false, red, bg},
        {"selected blink keeps the selection", Red | d::Blink | d::Selected, true, false, bg,
         select},
        {"unprotected field shown", Red | d::Formatted, false, true, red, fields},
        {"protected field is not", Red | d::Formatted | d::Protected, false, true, red, bg},
        {"attribute position stays on the background", d::Protected, false, true, green, bg},
        {"unformatted screen is not marked", Red, false, true, red, bg},
        {"selection wins over the field colour", Red | d::Formatted | d::Selected, false, true, red,
         select},
    };
    for (const ColourCase& c : cases) {
        PaintOptions o = options(c.blinkHidden);
        o.showUnprotected = c.showUnprotected;
        const RunColours colours = runColours(c.flags, o);
        EXPECT_EQ(colours.foreground, c.foreground) << c.name;
        EXPECT_EQ(colours.background, c.background) << c.name;
    }
}

TEST(PaintRuns, FillIsTheSelectionOrTheBackground) {
    DisplayImage image = cleanImage();
    image.writeCell(1, 1, 'A' | d::Selected | d::Reverse);
    image.writeCell(1, 2, 'B' | d::Reverse);
    const std::vector<PaintRun> runs = collectRuns(image, options());
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].fill, 0x000003);
    EXPECT_EQ(runs[1].fill, 0x000001);
}

TEST(PaintRuns, InvalidationIsPerCellUpToNineteenThenTheRow) {
    DisplayImage image = cleanImage();
    write(image, 1, 1, std::string(19, 'A'), 0);
    write(image, 2, 1, std::string(20, 'A'), 0);
    image.writeCell(3, 80, 'Z');
    const std::vector<CellSpan> spans = invalidationSpans(image);
    ASSERT_EQ(spans.size(), 21u);
    EXPECT_EQ(spans[0], (CellSpan{1, 1, 1}));
    EXPECT_EQ(spans[18], (CellSpan{1, 19, 1}));
    EXPECT_EQ(spans[19], (CellSpan{2, 1, 80}));
    EXPECT_EQ(spans[20], (CellSpan{3, 80, 1}));
}

TEST(PaintRuns, BlinkTickMarksBlinkingCellsAndFlipsThePhase) {
    DisplayImage image = cleanImage();
    bool hidden = false;
    EXPECT_FALSE(blinkTick(image, hidden, false));  // nothing blinks
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(blinkTick(image, hidden, true));  // the cursor blinks
    EXPECT_FALSE(hidden);

    image.writeCell(5, 7, 'B' | d::Blink);
    collectRuns(image, options());
    EXPECT_TRUE(blinkTick(image, hidden, false));
    EXPECT_TRUE(image.isCellDirty(5, 7));
    EXPECT_TRUE(image.isRowDirty(5));
    EXPECT_FALSE(image.isCellDirty(5, 8));
}

}  // namespace
}  // namespace kestrel
