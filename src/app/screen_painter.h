// Paints the terminal screen on a QPainter: the dirty runs of the display
// image in the screen font at the fitted cell pitch, the cursor shapes, the
// underlines and the crosshair. The view and the paint benchmark share it.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRawFont>
#include <array>
#include <optional>
#include <vector>

#include "engine/display_image.h"
#include "terminal/font_fit.h"
#include "terminal/paint_runs.h"

namespace kestrel {

// A 0x00BBGGRR settings colour as a QColor.
QColor settingsColour(int bgr);

class ScreenPainter {
  public:
    ScreenPainter();

    // The font to paint with and the cell pitch it was fitted to; without a
    // font nothing is painted.
    void setFont(const QFont& font, const CellGeometry& cell);
    void clearFont();
    bool hasFont() const { return font_.has_value(); }
    const CellGeometry& cell() const { return cell_; }

    // The display character set: the code page of the font's character set.
    void setCharset(int fontCharset);

    // Paints every dirty cell of IMAGE (clearing the marks) and the crosshair
    // of MODE through the cursor at ROW, COLUMN. Returns the cells painted.
    int paint(QPainter& painter, DisplayImage& image, const PaintOptions& options,
              int crosshairMode, int cursorRow, int cursorColumn);

  private:
    void buildGlyphs();
    void drawRun(QPainter& painter, const PaintRun& run, const PaintOptions& options);
    void drawText(QPainter& painter, int x, int y, const PaintRun& run, const QColor& foreground);
    void drawCrosshair(QPainter& painter, int mode, int rows, int row, int column,
                       const QColor& colour);

    std::optional<QFont> font_;
    QRawFont rawFont_;
    int ascent_ = 0;
    CellGeometry cell_;
    int charset_ = 0;
    std::array<QChar, 256> characters_{};
    std::array<quint32, 256> glyphs_{};
    std::vector<quint32> glyphRun_;
    std::vector<QPointF> positions_;
    int crosshairRow_ = 0;
    int crosshairColumn_ = 0;
};

}  // namespace kestrel
