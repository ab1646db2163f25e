#include "app/strand_view.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <algorithm>

#include "app/key_translation.h"
#include "app/screen_font.h"
#include "terminal/paint_runs.h"

namespace kestrel {

CStrandView::CStrandView(const Settings& settings, UserInterface& ui, QWidget* parent)
    : QWidget(parent), terminal_(std::make_unique<Terminal>(settings, ui, transport_)) {
    transport_.setSession(&terminal_->session);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(80, 24);
    painter_.setCharset(settings.font_charset);
    rows_ = terminal_->image.visibleRows();
}

CStrandView::~CStrandView() {
    // The session closes its connection before the transport goes.
    terminal_->session.disconnectCommand();
    terminal_.reset();
}

QRect CStrandView::cellRect(int row, int column, int count) const {
    const CellGeometry& cell = painter_.cell();
    return QRect((column - 1) * cell.cellWidth, (row - 1) * cell.cellHeight, count * cell.cellWidth,
                 cell.cellHeight);
}

void CStrandView::refitFont() {
    Settings& settings = terminal_->settings;
    FontFitRequest request;
    request.clientWidth = width();
    request.clientHeight = height();
    request.columns = DisplayImage::kScreenColumns;
    request.rows = rows_;
    // The bars lie outside the view: their measured share of it is nothing.
    request.toolbarShown = false;
    request.statusBarShown = false;
    request.ignoreBorder = settings.ignore_border != 0;
    request.dialogFrame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const FontFit fit = fitFont(request, screenFontSource(settings));
    settings.fontsize = fit.fontsize;
    if (fit.cell) {
        painter_.setFont(screenFont(settings, fit.fontsize), *fit.cell);
    } else {
        painter_.clearFont();
    }
}

void CStrandView::placeCursor() {
    const Settings& settings = terminal_->settings;
    const CursorMove move =
        cursor_.place(terminal_->image, terminal_->engine.cursorAddress, focus_, settings.blink);
    if (settings.crosshair && move.moved()) {
        invalidateCrosshair(move);
    }
}

void CStrandView::invalidateCrosshair(const CursorMove& move) {
    const CellGeometry& cell = painter_.cell();
    const GridGeometry grid{cell.cellWidth, cell.cellHeight, cell.rowExtra, rows_,
                            DisplayImage::kScreenColumns};
    const int mode = terminal_->settings.crosshair;
    auto invalidate = [this](const PixelLine& line) {
        update(QRect(QPoint(line.x1, line.y1), QPoint(line.x2, line.y2)));
    };
    for (const auto& [row, column] :
         {std::pair{move.oldRow, move.oldColumn}, std::pair{move.row, move.column}}) {
        if (crosshairHasVertical(mode) && column > 0) {
            invalidate(crosshairVertical(grid, column));
        }
        if (crosshairHasHorizontal(mode) && row > 0) {
            invalidate(crosshairHorizontal(grid, row));
        }
    }
}

bool CStrandView::followRowCount() {
    const int rows = terminal_->image.visibleRows();
    if (rows == rows_) {
        return false;
    }
    rows_ = rows;
    refitFont();
    return true;
}

void CStrandView::repaintRequest(Repaint kind) {
    if (kind == Repaint::Full) {
        fullRepaint();
    } else {
        incrementalRepaint();
    }
}

void CStrandView::fullRepaint() {
    followRowCount();
    placeCursor();
    DisplayImage& image = terminal_->image;
    for (int row = 1; row <= rows_; ++row) {
        for (int column = 1; column <= DisplayImage::kScreenColumns; ++column) {
            image.markDirty(row, column);
        }
    }
    update();
}

void CStrandView::incrementalRepaint() {
    // The host switched the screen size: the font is fitted anew.
    if (followRowCount()) {
        fullRepaint();
        return;
    }
    placeCursor();
    for (const CellSpan& span : invalidationSpans(terminal_->image)) {
        update(cellRect(span.row, span.column, span.count));
    }
}

void CStrandView::blinkTick() {
    if (kestrel::blinkTick(terminal_->image, blinkHidden_, terminal_->settings.blink)) {
        incrementalRepaint();
    }
}

void CStrandView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const Settings& settings = terminal_->settings;
    const QColor background = settingsColour(settings.color_bg);
    if (!painter_.hasFont()) {
        painter.fillRect(event->rect(), background);
        return;
    }
    const CellGeometry& cell = painter_.cell();
    const int gridWidth = DisplayImage::kScreenColumns * cell.cellWidth;
    const int gridHeight = rows_ * cell.cellHeight;
    DisplayImage& image = terminal_->image;
    for (const QRect& rect : event->region()) {
        // Every cell the rectangle touches is painted again.
        const int firstRow = rect.top() / cell.cellHeight + 1;
        const int lastRow = std::min(rows_, rect.bottom() / cell.cellHeight + 1);
        const int firstColumn = rect.left() / cell.cellWidth + 1;
        const int lastColumn =
            std::min(DisplayImage::kScreenColumns, rect.right() / cell.cellWidth + 1);
        for (int row = firstRow; row <= lastRow; ++row) {
            for (int column = firstColumn; column <= lastColumn; ++column) {
                image.markDirty(row, column);
            }
        }
        if (rect.right() >= gridWidth) {
            painter.fillRect(QRect(QPoint(gridWidth, rect.top()), rect.bottomRight()), background);
        }
        if (rect.bottom() >= gridHeight) {
            painter.fillRect(QRect(QPoint(rect.left(), gridHeight), rect.bottomRight()),
                             background);
        }
    }
    cellsPainted_ += painter_.paint(painter, image, paintOptions(settings, blinkHidden_),
                                    settings.crosshair, cursor_.row(), cursor_.column());
}

void CStrandView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    refitFont();
    fullRepaint();
}

bool CStrandView::event(QEvent* event) {
    // Tab and Backtab are the terminal's keys, not the focus chain's.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            keyPressEvent(static_cast<QKeyEvent*>(event));
            return true;
        }
    }
    return QWidget::event(event);
}

void CStrandView::keyPressEvent(QKeyEvent* event) {
    const Settings& settings = terminal_->settings;
    const KeyInput input =
        translateKeyPress(*event, settings.font_charset, settings.num_point != 0);
    if (!input.key && !input.character) {
        // Alt+digit plays a macro, which is not available yet; the rest is
        // the menus'.
        QWidget::keyPressEvent(event);
        return;
    }
    if (input.key) {
        terminal_->keyEvent(input.key->code, input.key->ctrl, input.key->shift, input.key->flags);
    }
    if (input.character) {
        terminal_->typedCharacter(*input.character);
    }
    incrementalRepaint();
}

void CStrandView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    focus_ = true;
    focusGainedAt_ = QDateTime::currentSecsSinceEpoch();
    fullRepaint();
}

void CStrandView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    focus_ = false;
    incrementalRepaint();
}

std::optional<std::pair<int, int>> CStrandView::cellAt(QPointF position) const {
    if (!painter_.hasFont()) {
        return std::nullopt;
    }
    const CellGeometry& cell = painter_.cell();
    const QPoint at = position.toPoint();
    return std::pair{std::clamp(at.y() / cell.cellHeight + 1, 1, rows_),
                     std::clamp(at.x() / cell.cellWidth + 1, 1, DisplayImage::kScreenColumns)};
}

void CStrandView::mousePressEvent(QMouseEvent* event) {
    pressedCell_.reset();
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The click that gives the window the focus does not move the cursor.
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (!terminal_->settings.mouse_cursor && now <= focusGainedAt_ + 1) {
        return;
    }
    pressedCell_ = cellAt(event->position());
}

void CStrandView::mouseReleaseEvent(QMouseEvent* event) {
    const auto released = cellAt(event->position());
    if (event->button() == Qt::LeftButton && pressedCell_ && released == pressedCell_) {
        terminal_->clickCell(released->first, released->second);
        incrementalRepaint();
    }
    pressedCell_.reset();
}

}  // namespace kestrel
