// The painted screen: the view is grabbed and the pixels of single cells are
// checked for the colours of protected and unprotected text, reverse video,
// underline, selection, show-unprotected, blink, the three cursor shapes and
// the crosshair modes; and what one typed character repaints.
#include <QApplication>
#include <QImage>
#include <QTest>
#include <vector>

#include "app/strand_view.h"
#include "engine/display_cell.h"
#include "support/recording_ui.h"

namespace kestrel {
namespace {

using Bytes = std::vector<uint8_t>;

// 14-bit buffer address of ROW, COLUMN (1-based).
Bytes address(int row, int column) {
    const int a = (row - 1) * 80 + column - 1;
    return {uint8_t(a >> 8), uint8_t(a & 0xFF)};
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes sba(int row, int column) {
    return Bytes{0x11} + address(row, column);
}
Bytes sf(uint8_t attribute) {
    return {0x1D, attribute};
}
// A start field with extended highlighting and colour.
Bytes sfe(uint8_t attribute, uint8_t highlight, uint8_t colour) {
    return {0x29, 0x03, 0xC0, attribute, 0x41, highlight, 0x42, colour};
}
const Bytes kHH = {0xC8, 0xC8};

constexpr uint8_t kProtected = 0x60;
constexpr uint8_t kUnprotected = 0x40;

// Colours of the default settings, as painted.
const QColor kBlack(0, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kCursorGrey(128, 128, 128);
const QColor kSelect(128, 128, 0);
const QColor kFields(128, 0, 0);

class ScreenPaintTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<CStrandView> view;
    test_support::RecordingUi ui;
    Settings settings;

    Terminal& terminal() { return view->terminal(); }
    const CellGeometry& cell() { return view->painter().cell(); }

    void start(const Settings& s) {
        view = std::make_unique<CStrandView>(s, ui);
        view->resize(960, 600);
        view->show();
        view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view.get()));
        view->setFocus();
        QTRY_VERIFY(view->hasFocus());
        QVERIFY(terminal().loadCodePage(KESTREL_SOURCE_DATA_DIR "/ebcdic.map"));
        // Row 1 protected "HH"; row 2 reverse yellow "HH"; row 3 underlined red
        // "H,H_"; row 5 an empty unprotected field; row 7 blinking red "HH".
        const Bytes record = Bytes{0xF5, 0xC2} + sba(1, 1) + sf(kProtected) + kHH + sba(2, 1) +
                             sfe(kProtected, 0xF2, 0xF6) + kHH + sba(3, 1) +
                             sfe(kProtected, 0xF4, 0xF2) + Bytes{0xC8, 0x6B, 0xC8, 0x6D} +
                             sba(4, 1) + sf(kProtected) + sba(5, 1) + sf(kUnprotected) +
                             sba(5, 20) + sf(kProtected) + sba(7, 1) + sfe(kProtected, 0xF1, 0xF2) +
                             kHH + sba(8, 1) + sf(kProtected);
        terminal().receiveRecord(record.data(), record.size());
    }

    // Moves the cursor to ROW, COLUMN and returns the view as painted.
    QImage grabWithCursor(int row, int column) {
        terminal().engine.cursorAddress = (row - 1) * 80 + column - 1;
        view->fullRepaint();
        return view->grab().toImage();
    }
    QImage grabScreen() { return grabWithCursor(20, 80); }

    QColor at(const QImage& image, int row, int column, int dx, int dy) {
        return image.pixelColor((column - 1) * cell().cellWidth + dx,
                                (row - 1) * cell().cellHeight + dy);
    }
    // Whether the text area of the cell holds COLOUR in some pixel.
    bool cellShows(const QImage& image, int row, int column, const QColor& colour) {
        const int textHeight = cell().cellHeight - cell().rowExtra;
        for (int dy = 0; dy < textHeight; ++dy) {
            for (int dx = 0; dx < cell().cellWidth; ++dx) {
                if (at(image, row, column, dx, dy) == colour) {
                    return true;
                }
            }
        }
        return false;
    }
    int underlineY() { return cell().cellHeight - cell().descent - cell().rowExtra + 1; }

  private slots:
    void init() { settings = Settings{}; }
    void cleanup() { view.reset(); }

    void fitsTheWindow() {
        start(settings);
        QCOMPARE(terminal().image.visibleRows(), 24);
        QVERIFY(cell().cellWidth * 80 <= view->width());
        QVERIFY(cell().cellHeight * 24 <= view->height());
        // The next font height would not fit: the grid uses the window.
        QVERIFY(cell().cellHeight * 24 > view->height() - 2 * cell().cellHeight);
    }

    void alternateSizeRefitsTheFont() {
        settings.alternate = 32;
        start(settings);
        const int rowHeight24 = cell().cellHeight;
        const Bytes alternate = {0x7E, 0xC2, 0xC8};  // Erase/Write Alternate: 32 rows
        terminal().receiveRecord(alternate.data(), alternate.size());
        view->incrementalRepaint();
        QCOMPARE(terminal().image.visibleRows(), 32);
        QVERIFY(cell().cellHeight < rowHeight24);
        QVERIFY(cell().cellHeight * 32 <= view->height());
        QVERIFY(cellShows(view->grab().toImage(), 1, 1, QColor(0, 255, 0)));
    }

    void tooSmallAWindowStillGetsAFont() {
        start(settings);
        view->resize(60, 30);
        QCOMPARE(terminal().settings.fontsize, 1);
        QVERIFY(view->painter().hasFont());
        view->grab();  // paints, clipped
    }

    void protectedReverseAndUnderlinedText() {
        start(settings);
        const QImage image = grabScreen();
        QVERIFY(cellShows(image, 1, 2, kBlue));
        QCOMPARE(at(image, 1, 2, 0, 0), kBlack);
        // Reverse: the field colour behind, the text in the background colour.
        QCOMPARE(at(image, 2, 2, 0, 0), kYellow);
        QVERIFY(cellShows(image, 2, 2, kBlack));
        // Underline under H, none under ',' and '_'.
        QCOMPARE(at(image, 3, 2, 1, underlineY()), kRed);
        QCOMPARE(at(image, 3, 3, cell().cellWidth / 2, underlineY()), kBlack);
        QVERIFY(cellShows(image, 3, 4, kRed));
        // Beyond the grid: the background colour.
        QCOMPARE(image.pixelColor(view->width() - 1, view->height() - 1), kBlack);
    }

    void selectionAndShowUnprotected() {
        settings.show_unprotected = 1;
        start(settings);
        DisplayImage& image = terminal().image;
        image.writeCell(1, 3, image.cell(1, 3) | display::Selected);
        const QImage shot = grabScreen();
        QCOMPARE(at(shot, 1, 3, 0, 0), kSelect);
        QCOMPARE(at(shot, 5, 5, 0, 0), kFields);  // inside the unprotected field
        QCOMPARE(at(shot, 5, 1, 0, 0), kBlack);   // its attribute position
        QCOMPARE(at(shot, 6, 5, 0, 0), kBlack);   // protected
    }

    void blinkHidesTheTextInOnePhase() {
        start(settings);
        QVERIFY(cellShows(grabScreen(), 7, 2, kRed));
        view->blinkTick();
        QVERIFY(view->blinkHidden());
        QVERIFY(!cellShows(grabScreen(), 7, 2, kRed));
        view->blinkTick();
        QVERIFY(cellShows(grabScreen(), 7, 2, kRed));
    }

    void cursorShapes() {
        start(settings);
        const int half = cell().cellHeight / 2 - cell().rowExtra;
        // Full block: the whole text area.
        QImage image = grabWithCursor(10, 10);
        QCOMPARE(at(image, 10, 10, 0, 0), kCursorGrey);
        QCOMPARE(at(image, 10, 10, 0, half + 1), kCursorGrey);
        QCOMPARE(at(image, 10, 11, 0, 0), kBlack);
        // Half block: the lower half only.
        terminal().settings.cursortype = 1;
        image = grabWithCursor(10, 10);
        QCOMPARE(at(image, 10, 10, 0, 0), kBlack);
        QCOMPARE(at(image, 10, 10, 0, half + 1), kCursorGrey);
        // Underline: a line at the underline height.
        terminal().settings.cursortype = 2;
        image = grabWithCursor(10, 10);
        QCOMPARE(at(image, 10, 10, 0, 0), kBlack);
        QCOMPARE(at(image, 10, 10, 1, underlineY()), kCursorGrey);
    }

    void cursorGoesWithTheFocus() {
        settings.blink = 1;
        start(settings);
        QCOMPARE(at(grabWithCursor(10, 10), 10, 10, 0, 0), kCursorGrey);
        view->clearFocus();
        QTRY_VERIFY(!view->hasFocus());
        QCOMPARE(at(grabWithCursor(10, 10), 10, 10, 0, 0), kBlack);
    }

    void crosshairModes_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<bool>("horizontal");
        QTest::newRow("both") << 1 << true << true;
        QTest::newRow("horizontal") << 2 << false << true;
        QTest::newRow("vertical") << 3 << true << false;
        QTest::newRow("off") << 0 << false << false;
    }
    void crosshairModes() {
        QFETCH(int, mode);
        QFETCH(bool, vertical);
        QFETCH(bool, horizontal);
        settings.crosshair = mode;
        start(settings);
        const QImage image = grabWithCursor(10, 20);
        const int x = 19 * cell().cellWidth;
        const int y = 10 * cell().cellHeight - cell().rowExtra;
        QCOMPARE(image.pixelColor(x, 15 * cell().cellHeight + 2) == kCursorGrey, vertical);
        QCOMPARE(image.pixelColor(40 * cell().cellWidth + 2, y) == kCursorGrey, horizontal);
    }

    void clickMovesTheCursorButNotTheClickThatGaveTheFocus() {
        start(settings);
        const QPoint cell10x20((20 - 1) * cell().cellWidth + 2, (10 - 1) * cell().cellHeight + 2);
        QTest::mouseClick(view.get(), Qt::LeftButton, {}, cell10x20);
        QCOMPARE(terminal().engine.cursorPosition(), 0x0101);  // the focus came just now

        terminal().settings.mouse_cursor = 1;
        QTest::mouseClick(view.get(), Qt::LeftButton, {}, cell10x20);
        QCOMPARE(terminal().engine.cursorPosition(), (10 << 8) | 20);
        // Press and release on different cells is no click.
        QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(2, 2));
        QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(2 + 3 * cell().cellWidth, 2));
        QCOMPARE(terminal().engine.cursorPosition(), (10 << 8) | 20);
    }

    void typingOneCharacterRepaintsItsCellAndTheCursorCell() {
        start(settings);
        terminal().engine.cursorAddress = 4 * 80 + 1;  // row 5, column 2: the unprotected field
        view->incrementalRepaint();
        QTest::qWait(50);
        const long before = view->cellsPainted();
        QTest::keyClick(view.get(), Qt::Key_A);
        QTest::qWait(50);
        QCOMPARE(terminal().image.cell(5, 2) & display::CharacterMask, uint32_t('a'));
        QCOMPARE(view->cellsPainted() - before, 2L);
    }
};

}  // namespace
}  // namespace kestrel

QTEST_MAIN(kestrel::ScreenPaintTest)
#include "screen_paint_test.moc"
