// Font fit: the chosen height and the cell geometry for window sizes, row
// counts, borders and bars, with a synthetic font whose width is half its
// height and whose descent is a quarter of it; and the search's stopping rules.
#include "terminal/font_fit.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>
#include <vector>

namespace kestrel {
namespace {}  // namespace

void PrintTo(const CellGeometry& g, std::ostream* os) {
    *os << "{cell " << g.cellWidth << "x" << g.cellHeight << ", extra " << g.characterExtra << "/"
        << g.rowExtra << ", descent " << g.descent << "}";
}

namespace {

// Width h/2 (at least 1), height h, descent h/4.
std::optional<FontMetrics> halfWidthFont(int h) {
    return FontMetrics{std::max(1, h / 2), h, h / 4};
}

FontFitRequest request(int width, int height, int rows, bool toolbar, bool status_bar,
                       bool ignoreBorder, int dialogFrame = 4) {
    FontFitRequest r;
    r.clientWidth = width;
    r.clientHeight = height;
    r.columns = 80;
    r.rows = rows;
    r.toolbarShown = toolbar;
    r.statusBarShown = status_bar;
    r.ignoreBorder = ignoreBorder;
    r.dialogFrame = dialogFrame;
    return r;
}

struct FitCase {
    std::string name;
    FontFitRequest request;
    int fontsize;
    CellGeometry cell;  // cell width, cell height, character extra, row extra, descent
};

class FontFitTable : public testing::TestWithParam<FitCase> {};

TEST_P(FontFitTable, ChoosesHeightAndSpreadsSparePixels) {
    const FitCase& c = GetParam();
    FontFit fit = fitFont(c.request, halfWidthFont);
    EXPECT_EQ(fit.fontsize, c.fontsize);
    ASSERT_TRUE(fit.cell.has_value());
    EXPECT_EQ(fit.cell->cellWidth, c.cell.cellWidth);
    EXPECT_EQ(fit.cell->cellHeight, c.cell.cellHeight);
    EXPECT_EQ(fit.cell->characterExtra, c.cell.characterExtra);
    EXPECT_EQ(fit.cell->rowExtra, c.cell.rowExtra);
    EXPECT_EQ(fit.cell->descent, c.cell.descent);
}

FontFitRequest withMeasuredBars(FontFitRequest r, int toolbar, int status_bar) {
    r.toolbarHeight = toolbar;
    r.statusBarHeight = status_bar;
    return r;
}

FontFitRequest withGrid(FontFitRequest r, int columns, int rows) {
    r.columns = columns;
    r.rows = rows;
    return r;
}

const FitCase kFitCases[] = {
    // Width-limited: 80 x 8 = 640 exactly at h = 17; 72 spare rows of pixels / 24 = 3.
    {"WidthLimitedNoBorderNoBars", request(640, 480, 24, false, false, true), 17, {8, 20, 0, 3, 4}},
    // The same window with 2 x 4 border pixels: cw 8 no longer fits (648 > 640).
    {"WidthLimitedWithBorder", request(640, 480, 24, false, false, false), 15, {7, 20, 0, 5, 3}},
    // 648 wide takes the border and still fits cw 8.
    {"BorderExactlyFits", request(648, 480, 24, false, false, false), 17, {8, 20, 0, 3, 4}},
    // Both bars: 24h + (h + 18) + 40 <= 600 allows 21, the width allows 19.
    {"BothBarsAndBorder", request(800, 600, 24, true, true, false), 19, {9, 21, 0, 2, 4}},
    // Height-limited, wide window: (1600 - 640) / 80 = 12 extra per column.
    {"HeightLimited32Rows", request(1600, 600, 32, true, true, true), 16, {20, 16, 12, 0, 4}},
    {"HeightLimited24Rows", request(1600, 600, 24, true, true, true), 21, {20, 21, 10, 0, 5}},
    // Character extra after the border: (1000 - 480 - 8) / 80 = 6.
    {"CharacterExtraAfterBorder",
     request(1000, 300, 24, false, false, false),
     12,
     {12, 12, 6, 0, 3}},
    // The status bar reserves one font height plus 18, the toolbar 40.
    {"StatusBarOnly", request(1600, 420, 24, false, true, true), 16, {20, 16, 12, 0, 4}},
    {"ToolbarOnly", request(1600, 420, 24, true, false, true), 15, {20, 15, 13, 0, 3}},
    {"NoBars", request(1600, 420, 24, false, false, true), 17, {20, 17, 12, 0, 4}},
    // Default reserve at h 17: 17 + 18 + 40 = 75; (600 - 408 - 75) / 24 = 4.
    {"DefaultReserve", request(640, 600, 24, true, true, true), 17, {8, 21, 0, 4, 4}},
    // Measured bars 30 + 20 = 50: (600 - 408 - 50) / 24 = 5.
    {"MeasuredBars",
     withMeasuredBars(request(640, 600, 24, true, true, true), 30, 20),
     17,
     {8, 22, 0, 5, 4}},
    // A measured height counts only for a bar that is shown.
    {"MeasuredBarsHidden",
     withMeasuredBars(request(640, 480, 24, false, false, true), 300, 300),
     17,
     {8, 20, 0, 3, 4}},
    // Nothing fits (80 columns of 1 pixel > 50): height 1, no extra from a negative spare.
    {"NoFitTooNarrow", request(50, 40, 24, false, false, true), 1, {1, 1, 0, 0, 0}},
    // Nothing fits in height, but the width's spare is still spread: (1000 - 80) / 80 = 11.
    {"NoFitTooLowWidthSpread", request(1000, 40, 24, true, true, true), 1, {12, 1, 11, 0, 0}},
    {"MinimisedWindow", request(0, 0, 24, true, true, false), 1, {1, 1, 0, 0, 0}},
    // Rows and columns below 1 count as 1 (no division by zero).
    {"ZeroGridCountsAsOne",
     withGrid(request(40, 20, 24, false, false, true), 0, 0),
     20,
     {40, 20, 30, 0, 5}},
};

INSTANTIATE_TEST_SUITE_P(Cases, FontFitTable, testing::ValuesIn(kFitCases),
                         [](const testing::TestParamInfo<FitCase>& info) {
                             return info.param.name;
                         });

// A source that fails (or gives unusable metrics) from some height on, and
// records which heights were asked for.
struct FailingSource {
    int fail_from;
    bool fail_only_there = false;
    FontMetrics bad{};  // returned instead of nothing when its width is not 0
    std::vector<int> asked;

    std::optional<FontMetrics> operator()(int h) {
        asked.push_back(h);
        bool fails = fail_only_there ? h == fail_from : h >= fail_from;
        if (!fails) {
            return halfWidthFont(h);
        }
        if (bad.averageWidth != 0 || bad.height != 0) {
            return bad;
        }
        return std::nullopt;
    }
};

struct StopCase {
    std::string name;
    int fail_from;
    bool fail_only_there;
    FontMetrics bad;
    int fontsize;
    std::optional<CellGeometry> cell;
    int highest_asked;
};

class FontFitStops : public testing::TestWithParam<StopCase> {};

TEST_P(FontFitStops, SearchStopsAtFirstFailure) {
    const StopCase& c = GetParam();
    FailingSource source{c.fail_from, c.fail_only_there, c.bad, {}};
    FontFit fit = fitFont(request(1600, 1200, 24, false, false, true),
                          [&source](int h) { return source(h); });
    EXPECT_EQ(fit.fontsize, c.fontsize);
    EXPECT_EQ(fit.cell, c.cell);
    int highest = 0;
    for (int h : source.asked) {
        highest = std::max(highest, h);
    }
    EXPECT_EQ(highest, c.highest_asked);
}

const StopCase kStopCases[] = {
    // Without failure the width stops at h = 41 (80 x 20 = 1600), and 42 is tried;
    // (1200 - 24 x 41) / 24 = 9.
    {"NoFailure", 1000, false, {}, 41, CellGeometry{20, 50, 0, 9, 10}, 42},
    // Fails from 10: the last height that worked, 9, is kept; its spare is spread:
    // (1600 - 320) / 80 = 16, (1200 - 216) / 24 = 41.
    {"FailsFrom10", 10, false, {}, 9, CellGeometry{20, 50, 16, 41, 2}, 10},
    // Fails at 2 only: nothing fitted, height 1 is created and 3 is never tried.
    {"FailsAt2Only", 2, true, {}, 1, CellGeometry{20, 50, 19, 49, 0}, 2},
    // No font at all: height 1 and no screen font.
    {"NoFontAtAll", 1, false, {}, 1, std::nullopt, 2},
    // A font of zero width counts as not created (it would fit any window forever).
    {"ZeroWidthStops", 6, false, {0, 6, 1}, 5, CellGeometry{20, 50, 18, 45, 1}, 6},
    {"ZeroHeightStops", 6, false, {3, 0, 1}, 5, CellGeometry{20, 50, 18, 45, 1}, 6},
    // Widths whose 80-fold sum overflows an int do not fit.
    {"HugeWidthDoesNotFit", 3, false, {INT_MAX / 2, 3, 0}, 2, CellGeometry{20, 50, 19, 48, 0}, 3},
};

INSTANTIATE_TEST_SUITE_P(Cases, FontFitStops, testing::ValuesIn(kStopCases),
                         [](const testing::TestParamInfo<StopCase>& info) {
                             return info.param.name;
                         });

TEST(FontFit, FontThatNeverGrowsStopsAtTheClientHeight) {
    // A platform that gives the same small font for every height must not
    // make the search endless: no height above the client height is tried.
    int highest = 0;
    FontFit fit = fitFont(request(800, 400, 24, true, true, false), [&highest](int h) {
        highest = std::max(highest, h);
        return std::optional<FontMetrics>(FontMetrics{8, 10, 2});
    });
    EXPECT_EQ(highest, 400);
    EXPECT_EQ(fit.fontsize, 400);
    ASSERT_TRUE(fit.cell.has_value());
    // (400 - 240 - 28 - 40) / 24 = 3; (800 - 640 - 8) / 80 = 1.
    EXPECT_EQ(*fit.cell, (CellGeometry{9, 13, 1, 3, 2}));
}

TEST(FontFit, FontSizesThatRepeatDoNotEndTheSearch) {
    // A platform with a few fixed sizes answers nearby heights with the same
    // font; the search goes on through such steps to the largest that fits.
    auto stepped = [](int h) {
        int size = h < 12 ? 8 : h < 16 ? 12 : h < 24 ? 16 : 24;
        return std::optional<FontMetrics>(FontMetrics{size / 2, size, size / 4});
    };
    FontFit fit = fitFont(request(800, 500, 24, false, false, true), stepped);
    // Size 16 fits (80 x 8 = 640, 24 x 16 = 384); 24 does not (80 x 12 = 960).
    EXPECT_EQ(fit.fontsize, 23);
    EXPECT_EQ(fit.cell, (CellGeometry{10, 20, 2, 4, 4}));
}

TEST(FontFit, NoSourceMeansNoFont) {
    FontFit fit = fitFont(request(800, 600, 24, true, true, false), FontMetricsSource{});
    EXPECT_EQ(fit.fontsize, 1);
    EXPECT_FALSE(fit.cell.has_value());
}

TEST(FontFit, NegativeDescentAndBarHeightsAreClamped) {
    FontFitRequest r = withMeasuredBars(request(640, 480, 24, true, true, true), -100, -100);
    FontFit fit = fitFont(r, [](int h) { return std::optional<FontMetrics>({h / 2, h, -3}); });
    EXPECT_EQ(fit.fontsize, 17);
    EXPECT_EQ(fit.cell, (CellGeometry{8, 20, 0, 3, 0}));
}

}  // namespace
}  // namespace kestrel
