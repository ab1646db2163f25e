// A full repaint of a model 3 screen (32x80) of mixed attributes, fitted to a
// 1280x800 window, into an offscreen image: the work of painting one new host
// screen.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "app/screen_font.h"
#include "app/screen_painter.h"
#include "engine/display_cell.h"

namespace kestrel {
namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr int kRows = 32;

// Groups of seven cells share their flags: every host colour, reverse,
// underscore, blink and protection in turn, with a ',' or '_' now and then,
// which stand alone. About 11 runs a row.
void fillMixedScreen(DisplayImage& image) {
    namespace d = display;
    image.setVisibleRows(kRows);
    const char text[] = "LOGON APPLID(TSO) DATA SET,NAME_LIST 0123456789";
    for (int row = 1; row <= kRows; ++row) {
        for (int column = 1; column <= 80; ++column) {
            const int group = (row * 80 + column) / 7;
            uint32_t flags = d::Formatted | d::colour(uint32_t(1 + group % 7));
            flags |= group % 3 == 0 ? d::Reverse : 0;
            flags |= group % 5 == 0 ? d::Underscore : 0;
            flags |= group % 11 == 0 ? d::Blink : 0;
            flags |= group % 2 == 0 ? d::Protected : 0;
            const char c = text[(row + column) % (sizeof text - 1)];
            image.writeCell(row, column, uint8_t(c) | flags);
        }
    }
}

void BM_FullRepaintModel3(benchmark::State& state) {
    Settings settings;
    settings.font_name = "Courier New";
    FontFitRequest request;
    request.clientWidth = kWidth;
    request.clientHeight = kHeight;
    request.rows = kRows;
    request.toolbarShown = false;
    request.statusBarShown = false;
    const FontFit fit = fitFont(request, screenFontSource(settings));
    ScreenPainter painter;
    painter.setFont(screenFont(settings, fit.fontsize), *fit.cell);

    DisplayImage image;
    fillMixedScreen(image);
    const PaintOptions options = paintOptions(settings, false);
    QImage target(kWidth, kHeight, QImage::Format_RGB32);
    int cells = 0;
    for (auto _ : state) {
        for (int row = 1; row <= kRows; ++row) {
            for (int column = 1; column <= 80; ++column) {
                image.markDirty(row, column);
            }
        }
        QPainter p(&target);
        cells = painter.paint(p, image, options, 0, 1, 1);
        p.end();
        benchmark::DoNotOptimize(target.constBits());
    }
    state.counters["cells"] = cells;
    state.counters["font_px"] = fit.fontsize;
}
BENCHMARK(BM_FullRepaintModel3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

int main(int argc, char** argv) {
    // Painting needs the font machinery of a GUI application, not a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
