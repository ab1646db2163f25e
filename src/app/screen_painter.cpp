#include "app/screen_painter.h"

#include <QFontMetrics>
#include <QGlyphRun>

#include "mapping/display_charset.h"
#include "terminal/cursor_placement.h"

namespace kestrel {

QColor settingsColour(int bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

ScreenPainter::ScreenPainter() {
    setCharset(0);
}

void ScreenPainter::setFont(const QFont& font, const CellGeometry& cell) {
    font_ = font;
    cell_ = cell;
    ascent_ = QFontMetrics(font).ascent();
    rawFont_ = QRawFont::fromFont(font);
    buildGlyphs();
}

void ScreenPainter::clearFont() {
    font_.reset();
}

void ScreenPainter::setCharset(int fontCharset) {
    charset_ = fontCharset;
    for (int byte = 0; byte < 256; ++byte) {
        const std::string utf8 = displayToUtf8(std::string(1, char(byte)), charset_);
        const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
        // Control characters have no glyph; they show as blanks.
        characters_[byte] = text.isEmpty() || text[0].unicode() < 0x20 ? QChar(' ') : text[0];
    }
    buildGlyphs();
}

void ScreenPainter::buildGlyphs() {
    glyphs_.fill(0);
    if (rawFont_.isValid()) {
        for (int byte = 0; byte < 256; ++byte) {
            const QList<quint32> glyph = rawFont_.glyphIndexesForString(QString(characters_[byte]));
            glyphs_[byte] = glyph.isEmpty() ? 0 : glyph[0];
        }
    }
}

void ScreenPainter::drawText(QPainter& painter, int x, int y, const PaintRun& run,
                             const QColor& foreground) {
    painter.setPen(foreground);
    const int baseline = y + ascent_;
    glyphRun_.clear();
    positions_.clear();
    bool allGlyphs = rawFont_.isValid();
    for (int i = 0; i < run.length() && allGlyphs; ++i) {
        const quint32 glyph = glyphs_[uint8_t(run.characters[i])];
        allGlyphs = glyph != 0 || characters_[uint8_t(run.characters[i])] == QChar(' ');
        glyphRun_.push_back(glyph);
        positions_.emplace_back(x + i * cell_.cellWidth, baseline);
    }
    if (allGlyphs) {
        // Glyphs placed at the cell pitch: no shaping, no drift across the row.
        QGlyphRun glyphs;
        glyphs.setRawFont(rawFont_);
        glyphs.setRawData(glyphRun_.data(), positions_.data(), qsizetype(glyphRun_.size()));
        painter.drawGlyphRun(QPointF(0, 0), glyphs);
        return;
    }
    // A character the face lacks: the font machinery finds a substitute.
    painter.setFont(*font_);
    for (int i = 0; i < run.length(); ++i) {
        painter.drawText(QPoint(x + i * cell_.cellWidth, baseline),
                         QString(characters_[uint8_t(run.characters[i])]));
    }
}

void ScreenPainter::drawRun(QPainter& painter, const PaintRun& run, const PaintOptions& options) {
    const int x = (run.column - 1) * cell_.cellWidth;
    const int y = (run.row - 1) * cell_.cellHeight;
    const int width = run.length() * cell_.cellWidth;
    const int textHeight = cell_.cellHeight - cell_.rowExtra;
    const QColor foreground = settingsColour(run.colours.foreground);
    const QColor cursor = settingsColour(options.colours.cursor);

    painter.fillRect(x, y, width, cell_.cellHeight, settingsColour(run.fill));
    switch (run.cursor) {
        case CursorShape::FullBlock:
            painter.fillRect(x, y, width, textHeight, cursor);
            break;
        case CursorShape::HalfBlock: {
            painter.fillRect(x, y, width, textHeight, settingsColour(run.colours.background));
            const int top = y + cell_.cellHeight / 2 - cell_.rowExtra;
            const int bottom = y + cell_.cellHeight - cell_.rowExtra;
            painter.fillRect(x, top, width, bottom - top, cursor);
            break;
        }
        default:
            painter.fillRect(x, y, width, textHeight, settingsColour(run.colours.background));
            break;
    }
    drawText(painter, x, y, run, foreground);

    const int underlineY = y + cell_.cellHeight - cell_.descent - cell_.rowExtra + 1;
    if (run.cursor == CursorShape::Underline) {
        painter.fillRect(x, underlineY, width, 1, cursor);
    }
    if (run.underline) {
        painter.fillRect(x, underlineY, width, 1, foreground);
    }
}

void ScreenPainter::drawCrosshair(QPainter& painter, int mode, int rows, int row, int column,
                                  const QColor& colour) {
    const GridGeometry grid{cell_.cellWidth, cell_.cellHeight, cell_.rowExtra, rows,
                            DisplayImage::kScreenColumns};
    if (crosshairHasVertical(mode)) {
        const PixelLine line = crosshairVertical(grid, column);
        painter.fillRect(line.x1, line.y1, 1, line.y2 - line.y1 + 1, colour);
    }
    if (crosshairHasHorizontal(mode)) {
        const PixelLine line = crosshairHorizontal(grid, row);
        painter.fillRect(line.x1, line.y1, line.x2 - line.x1 + 1, 1, colour);
    }
}

int ScreenPainter::paint(QPainter& painter, DisplayImage& image, const PaintOptions& options,
                         int crosshairMode, int cursorRow, int cursorColumn) {
    if (!font_) {
        return 0;
    }
    const int rows = image.visibleRows();
    const QColor background = settingsColour(options.colours.background);
    // The lines of the previous position go first; the cells painted below
    // and the lines drawn last cover the rest.
    if (crosshairMode != 0) {
        if (crosshairHasVertical(crosshairMode) && crosshairColumn_ != cursorColumn) {
            drawCrosshair(painter, 3, rows, crosshairRow_, crosshairColumn_, background);
            crosshairColumn_ = cursorColumn;
        }
        if (crosshairHasHorizontal(crosshairMode) && crosshairRow_ != cursorRow) {
            drawCrosshair(painter, 2, rows, crosshairRow_, crosshairColumn_, background);
            crosshairRow_ = cursorRow;
        }
    }
    int cells = 0;
    for (const PaintRun& run : collectRuns(image, options)) {
        drawRun(painter, run, options);
        cells += run.length();
    }
    if (crosshairMode != 0) {
        drawCrosshair(painter, crosshairMode, rows, cursorRow, cursorColumn,
                      settingsColour(options.colours.cursor));
    }
    return cells;
}

}  // namespace kestrel
