// Toolbar icons: every slot with a command has a picture of its own, at both
// sizes; the reserved slot has none.
#include "app/toolbar_icons.h"

#include <QImage>
#include <QTest>

#include "config/toolbar_slots.h"

using namespace kestrel;

namespace {

QImage iconImage(int slot, int size) {
    return toolbarIcon(slot)
        .pixmap(QSize(size, size))
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
}

// Pixels that are drawn on, not left transparent.
int inkedPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 128) {
                ++count;
            }
        }
    }
    return count;
}

}  // namespace

class ToolbarIconsTest : public QObject {
    Q_OBJECT

  private slots:
    void everyCommandSlotHasAPictureAtBothSizes_data();
    void everyCommandSlotHasAPictureAtBothSizes();
    void reservedAndOutOfRangeSlotsHaveNone();
    void noTwoSlotsLookAlike();
};

void ToolbarIconsTest::everyCommandSlotHasAPictureAtBothSizes_data() {
    QTest::addColumn<int>("slot");
    for (int slot = 0; slot < kToolbarSlotCount; ++slot) {
        if (slot != kReservedToolbarSlot) {
            QTest::addRow("slot %d", slot) << slot;
        }
    }
}

void ToolbarIconsTest::everyCommandSlotHasAPictureAtBothSizes() {
    QFETCH(int, slot);
    const QIcon icon = toolbarIcon(slot);
    QVERIFY(!icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    QVERIFY(sizes.contains(QSize(16, 16)));
    QVERIFY(sizes.contains(QSize(32, 32)));
    for (int size : {16, 32}) {
        const QImage image = iconImage(slot, size);
        QCOMPARE(image.size(), QSize(size, size));
        // A picture, not a speck: at least a tenth of the square is drawn on.
        QVERIFY2(inkedPixels(image) * 10 >= size * size,
                 qPrintable(QStringLiteral("%1 pixels").arg(inkedPixels(image))));
    }
}

void ToolbarIconsTest::reservedAndOutOfRangeSlotsHaveNone() {
    QVERIFY(toolbarIcon(kReservedToolbarSlot).isNull());
    QVERIFY(toolbarIcon(-1).isNull());
    QVERIFY(toolbarIcon(kToolbarSlotCount).isNull());
}

void ToolbarIconsTest::noTwoSlotsLookAlike() {
    for (int a = 0; a < kToolbarSlotCount; ++a) {
        for (int b = a + 1; b < kToolbarSlotCount; ++b) {
            if (a == kReservedToolbarSlot || b == kReservedToolbarSlot) {
                continue;
            }
            QVERIFY2(iconImage(a, 16) != iconImage(b, 16),
                     qPrintable(QStringLiteral("slots %1 and %2").arg(a).arg(b)));
        }
    }
}

QTEST_MAIN(ToolbarIconsTest)
#include "toolbar_icons_test.moc"
