// Key translation: Qt key presses to the terminal's key events, typed display
// characters and macro digits.
#include "app/key_translation.h"

#include <QKeyEvent>
#include <QTest>

#include "mapping/key_names.h"

using namespace kestrel;

namespace {

constexpr int kNone = -1;
constexpr int kCtrl = Qt::ControlModifier;
constexpr int kShift = Qt::ShiftModifier;
constexpr int kAlt = Qt::AltModifier;
constexpr int kKeypad = Qt::KeypadModifier;

// X11 native codes of the keys that need them.
constexpr quint32 kX11RightCtrlKeycode = 105;
constexpr quint32 kX11RightCtrlKeysym = 0xFFE4;
constexpr quint32 kX11LeftCtrlKeycode = 37;
constexpr quint32 kX11LeftCtrlKeysym = 0xFFE3;
constexpr quint32 kX11KeypadDecimalKeycode = 91;
constexpr quint32 kWindowsRightCtrlScanCode = 0x11D;

KeyInput translate(int qtKey, int modifiers, const QString& text, int fontCharset = 0,
                   bool numPoint = false, quint32 scan = 0, quint32 virtualKey = 0) {
    return translateKeyPress(qtKey, Qt::KeyboardModifiers(modifiers), scan, virtualKey, text,
                             fontCharset, numPoint);
}

}  // namespace

class KeyTranslationTest : public QObject {
    Q_OBJECT

  private slots:
    void bindableKeysReachTheirSlot_data();
    void bindableKeysReachTheirSlot();
    void translate_data();
    void translate();
    void keyEventGivesItsNativeCodes();
};

// Every key of the keyboard map, pressed as the operator would, gives exactly
// the key event that the map looks up for that slot.
void KeyTranslationTest::bindableKeysReachTheirSlot_data() {
    QTest::addColumn<int>("pcKey");
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("scan");
    QTest::addColumn<quint32>("virtualKey");

    const int fModifiers[] = {0, kShift, kCtrl, kCtrl | kShift};
    for (int group = 0; group < 4; ++group) {
        for (int n = 0; n < 12; ++n) {
            const int pcKey = group * 12 + n;
            QTest::newRow(kPcKeys[pcKey].name.data())
                << pcKey << int(Qt::Key_F1) + n << fModifiers[group] << QString() << 0u << 0u;
        }
    }
    struct Row {
        int pcKey;
        int qtKey;
        int modifiers;
        const char* text;
        quint32 scan;
        quint32 virtualKey;
    };
    const Row rows[] = {
        {pc_key::kHome, Qt::Key_Home, 0, "", 0, 0},
        {pc_key::kEnd, Qt::Key_End, 0, "", 0, 0},
        {pc_key::kPageUp, Qt::Key_PageUp, 0, "", 0, 0},
        {pc_key::kPageDown, Qt::Key_PageDown, 0, "", 0, 0},
        {pc_key::kEscape, Qt::Key_Escape, 0, "\x1b", 0, 0},
        {pc_key::kReturn, Qt::Key_Return, 0, "\r", 0, 0},
        {pc_key::kKeypadEnter, Qt::Key_Enter, kKeypad, "\r", 0, 0},
        {pc_key::kBackspace, Qt::Key_Backspace, 0, "\b", 0, 0},
        {pc_key::kDelete, Qt::Key_Delete, 0, "\x7f", 0, 0},
        {pc_key::kRightCtrl, Qt::Key_Control, kCtrl, "", kX11RightCtrlKeycode, kX11RightCtrlKeysym},
        {pc_key::kPause, Qt::Key_Pause, 0, "", 0, 0},
        {pc_key::kScrollLock, Qt::Key_ScrollLock, 0, "", 0, 0},
        {pc_key::kPrint, Qt::Key_Print, 0, "", 0, 0},
        {pc_key::kKeypadPlus, Qt::Key_Plus, kKeypad, "+", 0, 0},
        {pc_key::kKeypadMinus, Qt::Key_Minus, kKeypad, "-", 0, 0},
        {pc_key::kCtrlP, Qt::Key_P, kCtrl, "\x10", 0, 0},
        {pc_key::kCtrlC, Qt::Key_C, kCtrl, "\x03", 0, 0},
        {pc_key::kKeypadDivide, Qt::Key_Slash, kKeypad, "/", 0, 0},
        {pc_key::kKeypadMultiply, Qt::Key_Asterisk, kKeypad, "*", 0, 0},
        {pc_key::kShiftEscape, Qt::Key_Escape, kShift, "\x1b", 0, 0},
    };
    for (const Row& row : rows) {
        QTest::newRow(kPcKeys[row.pcKey].name.data())
            << row.pcKey << row.qtKey << row.modifiers << QString::fromLatin1(row.text) << row.scan
            << row.virtualKey;
    }
}

void KeyTranslationTest::bindableKeysReachTheirSlot() {
    QFETCH(int, pcKey);
    QFETCH(int, qtKey);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(quint32, scan);
    QFETCH(quint32, virtualKey);

    const KeyInput input = ::translate(qtKey, modifiers, text, 0, false, scan, virtualKey);
    QVERIFY(input.key.has_value());
    QVERIFY(!input.macroDigit.has_value());
    const std::optional<KeyStroke> expected = keyStrokeForPcKey(pcKey);
    QVERIFY(expected.has_value());
    QCOMPARE(input.key->code, expected->code);
    QCOMPARE(input.key->ctrl, expected->ctrl);
    QCOMPARE(input.key->shift, expected->shift);
    QCOMPARE(input.key->flags, expected->flags);
    const std::optional<int> slot =
        pcKeyForKeyEvent(input.key->code, input.key->ctrl, input.key->shift, input.key->flags);
    QCOMPARE(slot, std::optional<int>(pcKey));
}

void KeyTranslationTest::translate_data() {
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("fontCharset");
    QTest::addColumn<bool>("numPoint");
    QTest::addColumn<quint32>("scan");
    QTest::addColumn<quint32>("virtualKey");
    // The key event (code kNone: none), then the character and the macro digit.
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("character");
    QTest::addColumn<int>("macro");

    struct Row {
        const char* name;
        int qtKey;
        int modifiers;
        QString text;
        int fontCharset;
        bool numPoint;
        quint32 scan;
        quint32 virtualKey;
        int code;
        bool ctrl;
        bool shift;
        int flags;
        int character;
        int macro;
    };
    const Row rows[] = {
        // Keys outside the keyboard map that the editing core takes.
        {"tab", Qt::Key_Tab, 0, "\t", 0, false, 0, 0, 0x09, false, false, 0, kNone, kNone},
        {"backtab", Qt::Key_Backtab, kShift, "", 0, false, 0, 0, 0x09, false, true, 0, kNone,
         kNone},
        {"ctrl backtab", Qt::Key_Backtab, kCtrl | kShift, "", 0, false, 0, 0, 0x09, true, true, 0,
         kNone, kNone},
        {"insert", Qt::Key_Insert, 0, "", 0, false, 0, 0, 0x2D, false, false, 0, kNone, kNone},
        {"keypad insert", Qt::Key_Insert, kKeypad, "", 0, false, 0, 0, 0x2D, false, false, 0, kNone,
         kNone},
        {"left", Qt::Key_Left, 0, "", 0, false, 0, 0, 0x25000, false, false, 0, kNone, kNone},
        {"shift up", Qt::Key_Up, kShift, "", 0, false, 0, 0, 0x26000, false, true, 0, kNone, kNone},
        {"right", Qt::Key_Right, 0, "", 0, false, 0, 0, 0x27000, false, false, 0, kNone, kNone},
        {"keypad down", Qt::Key_Down, kKeypad, "", 0, false, 0, 0, 0x28000, false, false, 0, kNone,
         kNone},
        {"return from keypad flag", Qt::Key_Return, kKeypad, "\r", 0, false, 0, 0, 0x0D, false,
         false, 0x100, kNone, kNone},

        // Keys beyond F12 would reach the editing core as characters.
        {"F13", Qt::Key_F13, 0, "", 0, false, 0, 0, kNone, false, false, 0, kNone, kNone},
        {"F24", Qt::Key_F24, 0, "", 0, false, 0, 0, kNone, false, false, 0, kNone, kNone},

        // Both a key and a control character: the character is what line mode sends.
        {"backspace", Qt::Key_Backspace, 0, "\b", 0, false, 0, 0, 0x08, false, false, 0, 0x08,
         kNone},
        {"ctrl backspace is rubout", Qt::Key_Backspace, kCtrl, "\b", 0, false, 0, 0, 0x08, true,
         false, 0, 0x7F, kNone},
        {"ctrl C", Qt::Key_C, kCtrl, "\x03", 0, false, 0, 0, 0x1063, true, false, 0, 0x03, kNone},
        {"ctrl shift P", Qt::Key_P, kCtrl | kShift, "\x10", 0, false, 0, 0, 0x1070, true, true, 0,
         0x10, kNone},
        {"ctrl C without text", Qt::Key_C, kCtrl, "", 0, false, 0, 0, 0x1063, true, false, 0, 0x03,
         kNone},
        {"ctrl C on another layout", 0x0441, kCtrl, "\x03", 204, false, 0, 0, 0x1063, true, false,
         0, 0x03, kNone},
        // Their key event already sends these bytes in line mode.
        {"escape", Qt::Key_Escape, 0, "\x1b", 0, false, 0, 0, 0x1B, false, false, 0, kNone, kNone},
        {"delete", Qt::Key_Delete, 0, "\x7f", 0, false, 0, 0, 0x2E, false, false, 0, kNone, kNone},

        // Other control letters are characters only.
        {"ctrl pause is no ctrl C", Qt::Key_Cancel, kCtrl, "\x03", 0, false, 0, 0, kNone, false,
         false, 0, kNone, kNone},
        {"ctrl A", Qt::Key_A, kCtrl, "\x01", 0, false, 0, 0, kNone, false, false, 0, 0x01, kNone},
        {"ctrl Z with letter text", Qt::Key_Z, kCtrl, "z", 0, false, 0, 0, kNone, false, false, 0,
         0x1A, kNone},
        {"ctrl 1", Qt::Key_1, kCtrl, "1", 0, false, 0, 0, kNone, false, false, 0, kNone, kNone},
        {"ctrl bracket", Qt::Key_BracketLeft, kCtrl, "\x1b", 0, false, 0, 0, kNone, false, false, 0,
         0x1B, kNone},

        // Right Ctrl on its own; the left one is only a modifier.
        {"right ctrl windows", Qt::Key_Control, kCtrl, "", 0, false, kWindowsRightCtrlScanCode,
         0x11, 0x11, true, false, 0x100, kNone, kNone},
        {"right ctrl keysym only", Qt::Key_Control, 0, "", 0, false, 0, kX11RightCtrlKeysym, 0x11,
         true, false, 0x100, kNone, kNone},
        {"left ctrl", Qt::Key_Control, kCtrl, "", 0, false, kX11LeftCtrlKeycode, kX11LeftCtrlKeysym,
         kNone, false, false, 0, kNone, kNone},

        // The keypad operator keys act as keys and type nothing themselves;
        // on the main keyboard they are characters.
        {"keypad plus", Qt::Key_Plus, kKeypad, "+", 0, false, 0, 0, 0x6B, false, false, 0, kNone,
         kNone},
        {"keypad minus", Qt::Key_Minus, kKeypad, "-", 0, false, 0, 0, 0x6D, false, false, 0, kNone,
         kNone},
        {"keypad multiply", Qt::Key_Asterisk, kKeypad, "*", 0, false, 0, 0, 0x6A, false, false, 0,
         kNone, kNone},
        {"keypad divide", Qt::Key_Slash, kKeypad, "/", 0, false, 0, 0, 0x6F, false, false, 0, kNone,
         kNone},
        {"main plus", Qt::Key_Plus, kShift, "+", 0, false, 0, 0, kNone, false, false, 0, '+',
         kNone},
        {"main minus", Qt::Key_Minus, 0, "-", 0, false, 0, 0, kNone, false, false, 0, '-', kNone},
        {"main asterisk", Qt::Key_Asterisk, kShift, "*", 0, false, 0, 0, kNone, false, false, 0,
         '*', kNone},
        {"main slash", Qt::Key_Slash, 0, "/", 0, false, 0, 0, kNone, false, false, 0, '/', kNone},
        {"keypad digit", Qt::Key_7, kKeypad, "7", 0, false, 0, 0, kNone, false, false, 0, '7',
         kNone},

        // The keypad decimal key, with and without num_point.
        {"keypad point", Qt::Key_Period, kKeypad, ".", 0, false, 0, 0, kNone, false, false, 0, '.',
         kNone},
        {"keypad point swapped", Qt::Key_Period, kKeypad, ".", 0, true, 0, 0, kNone, false, false,
         0, ',', kNone},
        {"keypad comma swapped", Qt::Key_Comma, kKeypad, ",", 0, true, 0, 0, kNone, false, false, 0,
         '.', kNone},
        {"keypad delete with text swapped", Qt::Key_Delete, kKeypad, ".", 0, true, 0, 0, kNone,
         false, false, 0, ',', kNone},
        {"decimal keycode swapped", Qt::Key_Period, 0, ".", 0, true, kX11KeypadDecimalKeycode, 0,
         kNone, false, false, 0, ',', kNone},
        {"main point kept", Qt::Key_Period, 0, ".", 0, true, 60, 0, kNone, false, false, 0, '.',
         kNone},
        {"main comma kept", Qt::Key_Comma, 0, ",", 0, true, 59, 0, kNone, false, false, 0, ',',
         kNone},
        {"keypad delete without text", Qt::Key_Delete, kKeypad, "", 0, true, 0, 0, 0x2E, false,
         false, 0, kNone, kNone},

        // Alt+digit names a macro; other Alt combinations belong to the menus.
        {"alt 0", Qt::Key_0, kAlt, "0", 0, false, 0, 0, kNone, false, false, 0, kNone, 0},
        {"alt 9", Qt::Key_9, kAlt, "9", 0, false, 0, 0, kNone, false, false, 0, kNone, 9},
        {"alt keypad 3", Qt::Key_3, kAlt | kKeypad, "3", 0, false, 0, 0, kNone, false, false, 0,
         kNone, kNone},
        {"alt letter", Qt::Key_A, kAlt, "a", 0, false, 0, 0, kNone, false, false, 0, kNone, kNone},
        {"alt F4", Qt::Key_F4, kAlt, "", 0, false, 0, 0, kNone, false, false, 0, kNone, kNone},

        // Typed characters in the display character set of the font.
        {"letter", Qt::Key_A, kShift, "A", 0, false, 0, 0, kNone, false, false, 0, 'A', kNone},
        {"question mark", Qt::Key_Question, kShift, "?", 0, false, 0, 0, kNone, false, false, 0,
         '?', kNone},
        {"e acute western", Qt::Key_Eacute, 0, "\u00e9", 0, false, 0, 0, kNone, false, false, 0,
         0xE9, kNone},
        {"euro western", Qt::Key_unknown, 0, "\u20ac", 0, false, 0, 0, kNone, false, false, 0, 0x80,
         kNone},
        {"euro cyrillic", Qt::Key_unknown, 0, "\u20ac", 204, false, 0, 0, kNone, false, false, 0,
         0x88, kNone},
        {"zhe cyrillic", 0x0416, kShift, "\u0416", 204, false, 0, 0, kNone, false, false, 0, 0xC6,
         kNone},
        {"zhe not in western", 0x0416, kShift, "\u0416", 0, false, 0, 0, kNone, false, false, 0,
         kNone, kNone},
        {"altgr on windows", Qt::Key_E, kCtrl | kAlt, "\u0119", 238, false, 0, 0, kNone, false,
         false, 0, 0xEA, kNone},
        {"two characters", Qt::Key_unknown, 0, "ab", 0, false, 0, 0, kNone, false, false, 0, kNone,
         kNone},
        {"shift alone", Qt::Key_Shift, kShift, "", 0, false, 50, 0xFFE1, kNone, false, false, 0,
         kNone, kNone},
    };
    for (const Row& row : rows) {
        QTest::newRow(row.name) << row.qtKey << row.modifiers << row.text << row.fontCharset
                                << row.numPoint << row.scan << row.virtualKey << row.code
                                << row.ctrl << row.shift << row.flags << row.character << row.macro;
    }
}

void KeyTranslationTest::translate() {
    QFETCH(int, qtKey);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(int, fontCharset);
    QFETCH(bool, numPoint);
    QFETCH(quint32, scan);
    QFETCH(quint32, virtualKey);
    QFETCH(int, code);
    QFETCH(bool, ctrl);
    QFETCH(bool, shift);
    QFETCH(int, flags);
    QFETCH(int, character);
    QFETCH(int, macro);

    const KeyInput input =
        ::translate(qtKey, modifiers, text, fontCharset, numPoint, scan, virtualKey);
    QCOMPARE(input.key.has_value(), code != kNone);
    if (input.key) {
        QCOMPARE(input.key->code, code);
        QCOMPARE(input.key->ctrl, ctrl);
        QCOMPARE(input.key->shift, shift);
        QCOMPARE(input.key->flags, flags);
    }
    QCOMPARE(input.character.value_or(kNone), character);
    QCOMPARE(input.macroDigit.value_or(kNone), macro);
}

// The QKeyEvent form reads the codes Qt itself does not distinguish.
void KeyTranslationTest::keyEventGivesItsNativeCodes() {
    const QKeyEvent rightCtrl(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier,
                              kX11RightCtrlKeycode, kX11RightCtrlKeysym, 0);
    const KeyInput ctrl = translateKeyPress(rightCtrl, 0, false);
    QVERIFY(ctrl.key.has_value());
    QCOMPARE(ctrl.key->flags, 0x100);

    const QKeyEvent decimal(QEvent::KeyPress, Qt::Key_Period, Qt::NoModifier,
                            kX11KeypadDecimalKeycode, 0xFFAE, 0, QStringLiteral("."));
    QCOMPARE(translateKeyPress(decimal, 0, true).character, std::optional<int>(','));
}

QTEST_MAIN(KeyTranslationTest)
#include "key_translation_test.moc"
