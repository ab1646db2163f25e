// CStrandView: the terminal window's view. It owns the terminal (engine and
// session) and its connection, paints the display image with the fitted
// screen font, turns key presses into the terminal's key and character
// events, and keeps the cursor, blink and focus state of the screen.
#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <utility>

#include "app/screen_painter.h"
#include "config/settings.h"
#include "qtcore/qt_transport.h"
#include "terminal/cursor_placement.h"
#include "terminal/terminal.h"

namespace kestrel {

class CStrandView : public QWidget {
  public:
    CStrandView(const Settings& settings, UserInterface& ui, QWidget* parent = nullptr);
    ~CStrandView() override;

    Terminal& terminal() { return *terminal_; }
    const ScreenPainter& painter() const { return painter_; }

    // The repaints the terminal asks for: a full one marks every visible cell.
    // A change of the screen's rows refits the font and repaints it all.
    void repaintRequest(Repaint kind);
    void fullRepaint();
    void incrementalRepaint();
    // Fits the font to the view's size now (also done at every resize).
    void refitFont();
    // One tick of the blink timer.
    void blinkTick();

    // Cells painted since the view was made: what a change really redrew.
    long cellsPainted() const { return cellsPainted_; }
    bool blinkHidden() const { return blinkHidden_; }

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // A click (press and release on one cell) moves the cursor there.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }

  private:
    // Follows a change of the screen's rows; true when the font was refitted.
    bool followRowCount();
    void placeCursor();
    void invalidateCrosshair(const CursorMove& move);
    QRect cellRect(int row, int column, int count) const;
    // The cell (row, column) under a point of the view, clamped to the grid.
    std::optional<std::pair<int, int>> cellAt(QPointF position) const;

    QtTransport transport_;
    std::unique_ptr<Terminal> terminal_;
    ScreenPainter painter_;
    CursorPlacement cursor_;
    int rows_ = 24;
    bool focus_ = false;
    bool blinkHidden_ = false;
    long cellsPainted_ = 0;
    qint64 focusGainedAt_ = 0;  // whole seconds
    std::optional<std::pair<int, int>> pressedCell_;
};

}  // namespace kestrel
