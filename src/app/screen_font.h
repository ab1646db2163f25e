// The screen font: the configured fixed-pitch face at a pixel height, and its
// metrics as the font fit reads them.
#pragma once

#include <QFont>

#include "config/settings.h"
#include "terminal/font_fit.h"

namespace kestrel {

// The font of FONT_NAME, weight, italic at HEIGHT pixels, fixed pitch.
QFont screenFont(const Settings& settings, int height);

// The metrics of screenFont at a height: the pitch of one character, its line
// height with leading, and its descent.
FontMetrics screenFontMetrics(const QFont& font);

// The metrics source of the font fit for these settings.
FontMetricsSource screenFontSource(const Settings& settings);

}  // namespace kestrel
