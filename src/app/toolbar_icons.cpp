// The toolbar pictures, painted with QPainter on a 16-unit grid.
#include "app/toolbar_icons.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>

#include "config/toolbar_slots.h"

namespace kestrel {
namespace {

const QColor kInk(0x30, 0x30, 0x30);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kBlue(0x25, 0x63, 0xC8);
const QColor kLightBlue(0xB8, 0xD4, 0xF4);
const QColor kGreen(0x2A, 0x9A, 0x3A);
const QColor kRed(0xD0, 0x2C, 0x2C);
const QColor kYellow(0xF0, 0xB8, 0x00);
const QColor kGrey(0x8C, 0x8C, 0x8C);
const QColor kSilver(0xC8, 0xC8, 0xC8);
const QColor kBrown(0xA8, 0x70, 0x38);
const QColor kPink(0xF0, 0x88, 0x98);
const QColor kScreen(0x20, 0x28, 0x20);
const QColor kPhosphor(0x50, 0xE0, 0x60);

// A 3x5 pixel font for the key captions; '#' is a lit pixel.
struct Glyph {
    char character;
    std::array<const char*, 5> rows;
};
constexpr std::array<Glyph, 15> kGlyphs = {{
    {'0', {"###", "#.#", "#.#", "#.#", "###"}},
    {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'2', {"###", "..#", "###", "#..", "###"}},
    {'3', {"###", "..#", ".##", "..#", "###"}},
    {'4', {"#.#", "#.#", "###", "..#", "..#"}},
    {'5', {"###", "#..", "###", "..#", "###"}},
    {'6', {"###", "#..", "###", "#.#", "###"}},
    {'7', {"###", "..#", ".#.", ".#.", ".#."}},
    {'8', {"###", "#.#", "###", "#.#", "###"}},
    {'9', {"###", "#.#", "###", "..#", "###"}},
    {'P', {"##.", "#.#", "##.", "#..", "#.."}},
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}},
    {'C', {".##", "#..", "#..", "#..", ".##"}},
    {'L', {"#..", "#..", "#..", "#..", "###"}},
    {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
}};

// TEXT in the pixel font with its top left corner at X, Y, each font pixel
// SCALE units wide; one blank pixel column between characters.
void pixelText(QPainter& p, int x, int y, const char* text, const QColor& color, int scale = 1) {
    for (; *text; ++text, x += 4 * scale) {
        for (const Glyph& glyph : kGlyphs) {
            if (glyph.character != *text) {
                continue;
            }
            for (int row = 0; row < 5; ++row) {
                for (int column = 0; column < 3; ++column) {
                    if (glyph.rows[row][column] == '#') {
                        p.fillRect(QRectF(x + column * scale, y + row * scale, scale, scale),
                                   color);
                    }
                }
            }
        }
    }
}

void outlined(QPainter& p, const QRectF& r, const QColor& fill, const QColor& line = kInk) {
    p.setPen(QPen(line, 1));
    p.setBrush(fill);
    p.drawRect(r);
}

// Short grey lines standing for text on a sheet.
void textLines(QPainter& p, qreal x0, qreal x1, qreal y0, int count, qreal step = 2) {
    p.setPen(QPen(kGrey, 1));
    for (int n = 0; n < count; ++n) {
        p.drawLine(QPointF(x0, y0 + n * step), QPointF(x1 - (n % 2) * 2, y0 + n * step));
    }
}

// A keyboard key seen from the front, for the 3270 keys.
void keyCap(QPainter& p) {
    QLinearGradient shade(0, 2, 0, 14);
    shade.setColorAt(0, QColor(0xFA, 0xFA, 0xFA));
    shade.setColorAt(1, QColor(0xC8, 0xCC, 0xD4));
    p.setPen(QPen(kInk, 1));
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(0.5, 2.5, 15, 11), 2, 2);
    p.setPen(QPen(QColor(0x90, 0x94, 0xA0), 1));
    p.drawLine(QPointF(2, 12.5), QPointF(14, 12.5));
}

void plug(QPainter& p, qreal x) {
    // Cord, body, two prongs.
    p.setPen(QPen(kInk, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0.5, 8), QPointF(x, 8));
    p.setPen(QPen(kInk, 1));
    p.setBrush(kGreen);
    p.drawRoundedRect(QRectF(x, 4.5, 5, 7), 1.5, 1.5);
    p.setBrush(kSilver);
    p.drawRect(QRectF(x + 5, 5.5, 3, 1.5));
    p.drawRect(QRectF(x + 5, 9, 3, 1.5));
}

void socket(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kSilver);
    p.drawRoundedRect(QRectF(12.5, 2.5, 3, 11), 1, 1);
}

void drawConnect(QPainter& p) {
    socket(p);
    plug(p, 4.5);
}

void drawDisconnect(QPainter& p) {
    socket(p);
    plug(p, 0.5);
    // The spark of the broken contact.
    QPainterPath bolt;
    bolt.moveTo(12, 1);
    bolt.lineTo(9.5, 7);
    bolt.lineTo(11.5, 8);
    bolt.lineTo(9.5, 15);
    p.setPen(QPen(kRed, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(bolt);
}

void drawCut(QPainter& p) {
    p.setPen(QPen(QColor(0x60, 0x60, 0x68), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5.5, 10), QPointF(11.5, 0.8));
    p.drawLine(QPointF(10.5, 10), QPointF(4.5, 0.8));
    p.setPen(QPen(kRed, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4.5, 12.3), 2.5, 2.5);
    p.drawEllipse(QPointF(11.5, 12.3), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(8, 5.8), 0.9, 0.9);
}

void sheet(QPainter& p, const QRectF& r) {
    outlined(p, r, kPaper);
    // Sheets sit on half-unit edges, so the lines fall on pixel centres.
    textLines(p, r.left() + 1.5, r.right() - 1.5, r.top() + 2, int((r.height() - 2) / 2));
}

void drawCopy(QPainter& p) {
    sheet(p, QRectF(1.5, 0.5, 8, 10));
    sheet(p, QRectF(6.5, 5.5, 8, 10));
}

void drawPaste(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kBrown);
    p.drawRoundedRect(QRectF(1.5, 1.5, 10, 13), 1, 1);
    p.setBrush(kSilver);
    p.drawRoundedRect(QRectF(4, 0.5, 5, 3), 1, 1);
    sheet(p, QRectF(6.5, 5.5, 8, 10));
}

void drawPrint(QPainter& p) {
    outlined(p, QRectF(3.5, 0.5, 9, 6), kPaper);
    p.setPen(QPen(kInk, 1));
    p.setBrush(kSilver);
    p.drawRoundedRect(QRectF(0.5, 5.5, 15, 7), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawRect(QRectF(12, 7, 2, 1.5));
    sheet(p, QRectF(3.5, 9.5, 9, 6));
}

void drawAbout(QPainter& p) {
    p.setPen(QPen(kBlue.darker(130), 1));
    p.setBrush(kBlue);
    p.drawEllipse(QPointF(8, 8), 7.2, 7.2);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kPaper);
    p.drawText(QRectF(0, 0, 16, 16.5), Qt::AlignCenter, QStringLiteral("?"));
}

void drawMail(QPainter& p) {
    outlined(p, QRectF(0.5, 3.5, 15, 10), kPaper);
    p.setPen(QPen(kInk, 1));
    p.drawLine(QPointF(0.5, 3.5), QPointF(8, 9.5));
    p.drawLine(QPointF(15.5, 3.5), QPointF(8, 9.5));
    p.setPen(QPen(kGrey, 1));
    p.drawLine(QPointF(0.5, 13.5), QPointF(6, 8.5));
    p.drawLine(QPointF(15.5, 13.5), QPointF(10, 8.5));
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawRect(QRectF(12, 5, 2, 2));
}

void drawPa(QPainter& p, const char* caption) {
    keyCap(p);
    pixelText(p, 2, 5, caption, kBlue);
}

void drawDup(QPainter& p) {
    keyCap(p);
    // The DUP character: an asterisk with a bar over it.
    p.setPen(QPen(kBlue, 1.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre(8, 8.5);
    for (int n = 0; n < 3; ++n) {
        const QPointF arm = QLineF::fromPolar(3.2, 90 + n * 60).p2();
        p.drawLine(centre - arm, centre + arm);
    }
    p.drawLine(QPointF(4.5, 4), QPointF(11.5, 4));
}

void drawClear(QPainter& p) {
    keyCap(p);
    pixelText(p, 2, 5, "CLR", kRed);
}

void eraser(QPainter& p, const QPointF& at) {
    p.save();
    p.translate(at);
    p.rotate(-40);
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPink);
    p.drawRoundedRect(QRectF(-4, -2.5, 5, 5), 1, 1);
    p.setBrush(kLightBlue);
    p.drawRoundedRect(QRectF(1, -2.5, 4, 5), 1, 1);
    p.restore();
}

void drawEraseInput(QPainter& p) {
    // Several input fields, erased one after the other.
    for (int n = 0; n < 3; ++n) {
        const qreal y = 2.5 + n * 4;
        p.setPen(QPen(kBlue, 1));
        p.drawLine(QPointF(1, y + 2), QPointF(15, y + 2));
        p.setPen(QPen(kInk, 1));
        p.drawLine(QPointF(2, y), QPointF(n == 0 ? 12 : 6 - n, y));
    }
    eraser(p, QPointF(9.5, 11.5));
}

void drawEraseField(QPainter& p) {
    // One field with its contents rubbed out to its end.
    outlined(p, QRectF(0.5, 2.5, 15, 6), kPaper, kBlue);
    p.setPen(QPen(kInk, 1.4));
    p.drawLine(QPointF(2.5, 5.5), QPointF(6, 5.5));
    p.setPen(QPen(kGrey, 1, Qt::DotLine));
    p.drawLine(QPointF(7, 5.5), QPointF(14, 5.5));
    eraser(p, QPointF(10, 11));
}

void drawMacro(QPainter& p, int digit) {
    // A play triangle beside the macro's digit.
    QPainterPath play;
    play.moveTo(0.8, 2.5);
    play.lineTo(7.5, 8);
    play.lineTo(0.8, 13.5);
    play.closeSubpath();
    p.setPen(QPen(kGreen.darker(140), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kGreen);
    p.drawPath(play);
    const char text[2] = {char('0' + digit), 0};
    pixelText(p, 9, 3, text, kInk, 2);
}

void drawFont(QPainter& p) {
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPixelSize(16);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(QRectF(-2, -1, 14, 16), Qt::AlignCenter, QStringLiteral("A"));
    font.setPixelSize(10);
    p.setFont(font);
    p.setPen(kBlue);
    p.drawText(QRectF(8, 4, 8, 12), Qt::AlignCenter, QStringLiteral("a"));
}

void drawHelpTopics(QPainter& p) {
    // A book with a question mark on its cover.
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 1.5, 10, 14));
    p.setBrush(kYellow);
    p.drawRect(QRectF(1.5, 0.5, 11, 14));
    p.setPen(QPen(kInk.lighter(150), 1));
    p.drawLine(QPointF(3.5, 1), QPointF(3.5, 14));
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(QRectF(3.5, 0, 9, 15.5), Qt::AlignCenter, QStringLiteral("?"));
}

void drawToolbarCustomisation(QPainter& p) {
    // A row of buttons and a pencil.
    outlined(p, QRectF(0.5, 0.5, 15, 6), kSilver);
    const QColor buttons[] = {kRed, kGreen, kBlue};
    for (int n = 0; n < 3; ++n) {
        p.setPen(Qt::NoPen);
        p.setBrush(buttons[n]);
        p.drawRect(QRectF(2 + n * 4.5, 2, 3, 3));
    }
    p.save();
    p.translate(8.5, 11);
    p.rotate(-35);
    p.setPen(QPen(kInk, 1));
    p.setBrush(kYellow);
    p.drawRect(QRectF(-5, -1.7, 8, 3.4));
    p.setBrush(kPink);
    p.drawRect(QRectF(-7, -1.7, 2, 3.4));
    QPainterPath tip;
    tip.moveTo(3, -1.7);
    tip.lineTo(6.5, 0);
    tip.lineTo(3, 1.7);
    tip.closeSubpath();
    p.setBrush(QColor(0xF0, 0xD8, 0xB0));
    p.drawPath(tip);
    p.restore();
}

void drawCursor(QPainter& p) {
    // A character and the block cursor after it.
    outlined(p, QRectF(0.5, 1.5, 15, 13), kPaper, kGrey);
    QFont font(QStringLiteral("Liberation Mono"));
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(QRectF(1, 1, 7.5, 14), Qt::AlignCenter, QStringLiteral("A"));
    p.fillRect(QRectF(9, 4, 4.5, 8), kBlue);
}

void drawTermtype(QPainter& p) {
    // A terminal display with its stand.
    p.setPen(QPen(kInk, 1));
    p.setBrush(kSilver);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 11.5), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kScreen);
    p.drawRect(QRectF(2, 2, 12, 8.5));
    p.setPen(QPen(kPhosphor, 1));
    p.drawLine(QPointF(3, 3.5), QPointF(10, 3.5));
    p.drawLine(QPointF(3, 5.5), QPointF(12, 5.5));
    p.drawLine(QPointF(3, 7.5), QPointF(7, 7.5));
    p.setPen(QPen(kInk, 1));
    p.setBrush(kGrey);
    p.drawRect(QRectF(6.5, 12, 3, 2));
    p.drawRect(QRectF(3.5, 14, 9, 1.5));
}

void drawKeyboardMapping(QPainter& p) {
    // An arrow from one key to another over a keyboard.
    outlined(p, QRectF(0.5, 7.5, 15, 8), kSilver);
    p.setPen(Qt::NoPen);
    p.setBrush(kPaper);
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 5; ++column) {
            p.drawRect(QRectF(2 + column * 2.6 + row, 9 + row * 2.5, 1.8, 1.6));
        }
    }
    p.drawRect(QRectF(4, 14, 8, 1));
    QPainterPath arc;
    arc.moveTo(3, 7);
    arc.cubicTo(3, 1, 12, 1, 12.5, 5);
    p.setPen(QPen(kBlue, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    QPainterPath head;
    head.moveTo(10, 4);
    head.lineTo(12.7, 7.2);
    head.lineTo(14.8, 3.6);
    p.setPen(QPen(kBlue, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(head);
}

void drawLanguage(QPainter& p) {
    // A globe.
    p.setPen(QPen(kBlue.darker(130), 1));
    p.setBrush(kLightBlue);
    p.drawEllipse(QPointF(8, 8), 7, 7);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kBlue, 1));
    p.drawEllipse(QPointF(8, 8), 3, 7);
    p.drawLine(QPointF(8, 1), QPointF(8, 15));
    p.drawLine(QPointF(1, 8), QPointF(15, 8));
    p.drawLine(QPointF(2.2, 4.5), QPointF(13.8, 4.5));
    p.drawLine(QPointF(2.2, 11.5), QPointF(13.8, 11.5));
}

void drawResetConfiguration(QPainter& p) {
    // A gear inside a turning arrow.
    p.setPen(QPen(kInk, 1));
    p.setBrush(kGrey);
    p.drawEllipse(QPointF(8, 8.5), 2.8, 2.8);
    p.setPen(QPen(kGrey, 1.6));
    for (int n = 0; n < 4; ++n) {
        const QPointF arm = QLineF::fromPolar(3.8, n * 45).p2();
        p.drawLine(QPointF(8, 8.5) - arm, QPointF(8, 8.5) + arm);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(8, 8.5), 1, 1);

    p.setPen(QPen(kRed, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(1.5, 2, 13, 13), 100 * 16, 290 * 16);
    QPainterPath head;
    head.moveTo(3.6, 1.2);
    head.lineTo(7.4, 2.4);
    head.lineTo(4.6, 5.4);
    head.closeSubpath();
    p.setPen(QPen(kRed, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kRed);
    p.drawPath(head);
}

void draw(QPainter& p, int slot) {
    switch (slot) {
        case 0:
            return drawConnect(p);
        case 1:
            return drawDisconnect(p);
        case 2:
            return drawCut(p);
        case 3:
            return drawCopy(p);
        case 4:
            return drawPaste(p);
        case 5:
            return drawPrint(p);
        case 6:
            return drawAbout(p);
        case 7:
            return drawMail(p);
        case 8:
            return drawPa(p, "PA1");
        case 9:
            return drawPa(p, "PA2");
        case 10:
            return drawPa(p, "PA3");
        case 11:
            return drawDup(p);
        case 12:
            return drawClear(p);
        case 13:
            return drawEraseInput(p);
        case 14:
            return drawEraseField(p);
        case 25:
            return drawFont(p);
        case 26:
            return drawHelpTopics(p);
        case 27:
            return drawToolbarCustomisation(p);
        case 28:
            return drawCursor(p);
        case 29:
            return drawTermtype(p);
        case 31:
            return drawKeyboardMapping(p);
        case 32:
            return drawLanguage(p);
        case 33:
            return drawResetConfiguration(p);
        default:
            if (slot >= kFirstMacroToolbarSlot &&
                slot < kFirstMacroToolbarSlot + kMacroToolbarSlotCount) {
                drawMacro(p, slot - kFirstMacroToolbarSlot);
            }
            return;
    }
}

QPixmap render(int slot, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p, slot);
    return pixmap;
}

}  // namespace

QIcon toolbarIcon(int slot) {
    if (slot < 0 || slot >= kToolbarSlotCount || slot == kReservedToolbarSlot) {
        return QIcon();
    }
    QIcon icon;
    icon.addPixmap(render(slot, 16));
    icon.addPixmap(render(slot, 32));
    return icon;
}

}  // namespace kestrel
