#include "app/screen_font.h"

#include <QFontMetrics>
#include <algorithm>

namespace kestrel {

QFont screenFont(const Settings& settings, int height) {
    QFont font(QString::fromStdString(settings.font_name));
    font.setStyleHint(QFont::TypeWriter, QFont::PreferAntialias);
    font.setFixedPitch(true);
    font.setPixelSize(std::max(1, height));
    font.setWeight(settings.font_weight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(settings.font_italic != 0);
    font.setKerning(false);
    return font;
}

FontMetrics screenFontMetrics(const QFont& font) {
    const QFontMetrics metrics(font);
    // A fixed-pitch face: every character advances as far as 'M' does.
    return {metrics.horizontalAdvance(QLatin1Char('M')),
            metrics.height() + std::max(0, metrics.leading()), metrics.descent()};
}

FontMetricsSource screenFontSource(const Settings& settings) {
    return [settings](int height) -> std::optional<FontMetrics> {
        return screenFontMetrics(screenFont(settings, height));
    };
}

}  // namespace kestrel
