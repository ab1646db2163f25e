// Font fit: the largest font height at which the whole screen grid fits the
// window, and the cell geometry that spreads the spare pixels between the
// characters and below the rows. Pure arithmetic; the platform supplies the
// metrics of a font of a given height through a callback.
#pragma once

#include <functional>
#include <optional>

namespace kestrel {

// What the platform reports for a font created at a requested height.
struct FontMetrics {
    int averageWidth = 0;  // average character width
    int height = 0;        // height plus external leading
    int descent = 0;
};

// The metrics of the font at a requested height, or nothing when no font of
// that height can be created.
using FontMetricsSource = std::function<std::optional<FontMetrics>(int height)>;

struct FontFitRequest {
    int clientWidth = 100;
    int clientHeight = 100;
    int columns = 80;
    int rows = 24;
    bool toolbarShown = true;
    bool statusBarShown = true;
    bool ignoreBorder = false;
    int dialogFrame = 0;  // width of one dialog-frame border; both sides are counted
    // Measured heights of the bars when shown. Unset: the toolbar reserves
    // 40 pixels and the status bar one font height plus 18 pixels.
    std::optional<int> toolbarHeight;
    std::optional<int> statusBarHeight;
};

// The pitch of the character grid; the extras are included in the pitch.
struct CellGeometry {
    int cellWidth = 4;
    int cellHeight = 4;
    int characterExtra = 0;
    int rowExtra = 0;
    int descent = 0;

    bool operator==(const CellGeometry&) const = default;
};

struct FontFit {
    int fontsize = 1;  // the chosen height; 1 when no candidate fitted
    // Nothing when the font at `fontsize` cannot be created (or reports
    // unusable metrics): there is no screen font.
    std::optional<CellGeometry> cell;
};

// Tries heights 2, 3, 4, ... and stops at the first that does not fit or whose
// font cannot be created; then measures the chosen font and spreads the spare
// pixels. A font with a width or height below 1 counts as not created, and no
// height above the client height is tried. Columns and rows below 1 count as 1.
FontFit fitFont(const FontFitRequest& request, const FontMetricsSource& metrics);

}  // namespace kestrel
