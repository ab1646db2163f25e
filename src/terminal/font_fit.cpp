#include "terminal/font_fit.h"

#include <algorithm>
#include <cstdint>

namespace kestrel {
namespace {

constexpr int kToolbarReserve = 40;
constexpr int kStatusBarReserveBeyondFont = 18;

// The metrics at HEIGHT when the font exists and its cell is at least a pixel.
std::optional<FontMetrics> usableMetrics(const FontMetricsSource& metrics, int height) {
    if (!metrics) {
        return std::nullopt;
    }
    std::optional<FontMetrics> m = metrics(height);
    if (!m || m->averageWidth < 1 || m->height < 1) {
        return std::nullopt;
    }
    return m;
}

struct Layout {
    int64_t columns;
    int64_t rows;
    int64_t borders;
    const FontFitRequest& request;

    int64_t reserve(const FontMetrics& m) const {
        int64_t r = 0;
        if (request.statusBarShown) {
            r += request.statusBarHeight ? std::max(0, *request.statusBarHeight)
                                         : int64_t{m.height} + kStatusBarReserveBeyondFont;
        }
        if (request.toolbarShown) {
            r += request.toolbarHeight ? std::max(0, *request.toolbarHeight) : kToolbarReserve;
        }
        return r;
    }
    int64_t spareWidth(const FontMetrics& m) const {
        return request.clientWidth - columns * m.averageWidth - borders;
    }
    int64_t spareHeight(const FontMetrics& m) const {
        return request.clientHeight - rows * m.height - reserve(m);
    }
};

}  // namespace

FontFit fitFont(const FontFitRequest& request, const FontMetricsSource& metrics) {
    const Layout layout{std::max(1, request.columns), std::max(1, request.rows),
                        request.ignoreBorder ? 0 : 2 * int64_t{std::max(0, request.dialogFrame)},
                        request};

    FontFit fit;
    for (int h = 2; h <= request.clientHeight; ++h) {
        std::optional<FontMetrics> m = usableMetrics(metrics, h);
        if (!m || layout.spareWidth(*m) < 0 || layout.spareHeight(*m) < 0) {
            break;
        }
        fit.fontsize = h;
    }

    std::optional<FontMetrics> m = usableMetrics(metrics, fit.fontsize);
    if (!m) {
        return fit;
    }
    const int64_t spare_width = layout.spareWidth(*m);
    const int64_t spare_height = layout.spareHeight(*m);
    CellGeometry cell;
    cell.characterExtra = spare_width > 0 ? static_cast<int>(spare_width / layout.columns) : 0;
    cell.rowExtra = spare_height > 0 ? static_cast<int>(spare_height / layout.rows) : 0;
    cell.cellWidth = m->averageWidth + cell.characterExtra;
    cell.cellHeight = m->height + cell.rowExtra;
    cell.descent = std::clamp(m->descent, 0, m->height);
    fit.cell = cell;
    return fit;
}

}  // namespace kestrel
