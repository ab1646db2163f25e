// The Connect dialog and its Advanced dialog, driven as a user would: typing,
// clicking boxes and buttons. The Advanced dialog is run by a test hook instead
// of a modal loop.
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <iterator>
#include <tuple>

#include "app/gethost.h"
#include "app/gethost_advanced.h"
#include "config/settings.h"
#include "support/recording_ui.h"

namespace kestrel {
namespace {

using test_support::RecordingUi;

// A Connect dialog whose Advanced dialog is shown without a modal loop and
// handed to SCRIPT, which plays the user and closes it.
class ScriptedGethost : public gethost {
  public:
    using gethost::gethost;
    std::function<void(ConnectAdvancedDialog&)> script;
    int advancedRuns = 0;

  protected:
    bool runAdvanced(ConnectAdvancedDialog& dialog) override {
        ++advancedRuns;
        dialog.show();
        if (script) {
            script(dialog);
        }
        return dialog.result() == QDialog::Accepted;
    }
};

template <typename T>
T* childWithText(QWidget& parent, const QString& text) {
    for (T* child : parent.findChildren<T*>()) {
        if (child->text() == text) {
            return child;
        }
    }
    return nullptr;
}

QCheckBox* box(QWidget& dialog, const char* label) {
    return childWithText<QCheckBox>(dialog, QString::fromUtf8(label));
}

// Clicks the indicator: the centre of a wide box can lie beyond its label,
// where a click does not count.
void toggle(QCheckBox* box) {
    QVERIFY(box);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->height() / 2, box->height() / 2));
}

QPushButton* standardButton(QWidget& dialog, QDialogButtonBox::StandardButton which) {
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    return buttons ? buttons->button(which) : nullptr;
}

void clickAdvanced(gethost& dialog) {
    QPushButton* advanced = childWithText<QPushButton>(dialog, QStringLiteral("&Advanced..."));
    QVERIFY(advanced);
    QTest::mouseClick(advanced, Qt::LeftButton);
}

// Everything either dialog could touch.
auto touchable(const Settings& s) {
    return std::tie(s.port, s.autoconnect, s.autoreconnect, s.exit, s.confirm, s.alive, s.ssl,
                    s.host_name, s.host_hist, s.ost_hist, s.st_hist, s.t_hist, s._hist, s.hist,
                    s.ist, s.st);
}

struct CheckBoxField {
    const char* label;
    int Settings::*field;
};

constexpr CheckBoxField kCheckBoxes[] = {
    {"Use as default &Host", &Settings::autoconnect},
    {"Auto &Reconnect", &Settings::autoreconnect},
    {"&Exit on session termination", &Settings::exit},
    {"Confirm Exit", &Settings::confirm},
    {"Send Keep-Alive every 15 second", &Settings::alive},
    {"SSL (secure socket layer)", &Settings::ssl},
};

void setAllSwitches(Settings& settings, int value) {
    for (const CheckBoxField& row : kCheckBoxes) {
        settings.*row.field = value;
    }
}

}  // namespace

class ConnectDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void showsLabelsAndTitles();
    void historyListsUsedEntriesInOrder();
    void historyEntryCanBeChosen();
    void typedTextIsNotCompletedFromHistory();
    void fieldsRefuseInputBeyondLimits();
    void eachCheckBoxReadsAndWritesItsSetting();
    void okWritesPortAndLeavesHostAndHistoryToTheSession();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void reopenedAdvancedStartsFromConfirmedValues();
    void portThatDoesNotParseIsKept_data();
    void portThatDoesNotParseIsKept();
    void keepAliveNoticeWhenTurnedOn_data();
    void keepAliveNoticeWhenTurnedOn();
};

void ConnectDialogTest::showsLabelsAndTitles() {
    Settings settings;
    RecordingUi ui;
    ScriptedGethost dialog(settings, ui);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Connect"));
    QVERIFY(childWithText<QLabel>(dialog, QStringLiteral("Enter IBM Host Name or IP Address:")));

    bool sawAdvanced = false;
    dialog.script = [&](ConnectAdvancedDialog& advanced) {
        sawAdvanced = true;
        QCOMPARE(advanced.windowTitle(), QStringLiteral("Connect - Advanced"));
        QVERIFY(childWithText<QLabel>(advanced, QStringLiteral("Port:")));
        for (const CheckBoxField& row : kCheckBoxes) {
            QVERIFY2(box(advanced, row.label), row.label);
        }
        advanced.reject();
    };
    clickAdvanced(dialog);
    QVERIFY(sawAdvanced);
}

void ConnectDialogTest::historyListsUsedEntriesInOrder() {
    Settings settings;
    settings.host_name = "current.example";
    settings.host_hist = "alpha";
    settings.ost_hist = "";
    settings.st_hist = " leading-blank";
    settings.t_hist = "beta:992";
    settings._hist = "\tleading-tab";
    settings.hist = std::string(1, 1) + "control";
    settings.ist = "gamma";
    settings.st = "d\xc3\xa9lta";  // UTF-8, first byte above the blank
    RecordingUi ui;
    gethost dialog(settings, ui);

    auto* combo = dialog.findChild<QComboBox*>();
    QVERIFY(combo);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    QCOMPARE(items, (QStringList{"alpha", "beta:992", "gamma", QString::fromUtf8("d\xc3\xa9lta")}));
    QCOMPARE(dialog.hostText(), std::string("current.example"));
}

void ConnectDialogTest::historyEntryCanBeChosen() {
    Settings settings;
    settings.host_name = "current.example";
    settings.host_hist = "alpha";
    settings.ost_hist = "d\xc3\xa9lta";
    RecordingUi ui;
    gethost dialog(settings, ui);

    auto* combo = dialog.findChild<QComboBox*>();
    QVERIFY(combo);
    combo->setCurrentIndex(1);
    QCOMPARE(dialog.hostText(), std::string("d\xc3\xa9lta"));
}

void ConnectDialogTest::typedTextIsNotCompletedFromHistory() {
    Settings settings;
    settings.host_hist = "mainframe.example";
    RecordingUi ui;
    gethost dialog(settings, ui);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* combo = dialog.findChild<QComboBox*>();
    QVERIFY(combo);
    combo->setFocus();
    combo->lineEdit()->clear();
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("main"));
    QCOMPARE(dialog.hostText(), std::string("main"));
}

void ConnectDialogTest::fieldsRefuseInputBeyondLimits() {
    Settings settings;
    RecordingUi ui;
    ScriptedGethost dialog(settings, ui);
    auto* combo = dialog.findChild<QComboBox*>();
    QVERIFY(combo);
    QTest::keyClicks(combo->lineEdit(), QString(70, QLatin1Char('h')));
    QCOMPARE(dialog.hostText(), std::string(64, 'h'));

    QString portText;
    dialog.script = [&](ConnectAdvancedDialog& advanced) {
        auto* port = advanced.findChild<QLineEdit*>();
        QVERIFY(port);
        port->clear();
        QTest::keyClicks(port, QString(25, QLatin1Char('7')));
        portText = port->text();
        advanced.reject();
    };
    clickAdvanced(dialog);
    QCOMPARE(portText, QString(20, QLatin1Char('7')));
}

// Each box shows its own setting when the dialog opens and writes its own
// setting on OK, and no other.
void ConnectDialogTest::eachCheckBoxReadsAndWritesItsSetting() {
    constexpr size_t count = std::size(kCheckBoxes);
    for (size_t i = 0; i < count; ++i) {
        const CheckBoxField& row = kCheckBoxes[i];
        const CheckBoxField& next = kCheckBoxes[(i + 1) % count];
        Settings settings;
        setAllSwitches(settings, 0);
        settings.*row.field = 1;
        RecordingUi ui;
        ScriptedGethost dialog(settings, ui);
        dialog.script = [&](ConnectAdvancedDialog& advanced) {
            for (const CheckBoxField& other : kCheckBoxes) {
                QCheckBox* b = box(advanced, other.label);
                QVERIFY2(b, other.label);
                QVERIFY2(b->isChecked() == (other.field == row.field), other.label);
            }
            // The row's box off and the next one on: only those two may change.
            toggle(box(advanced, row.label));
            toggle(box(advanced, next.label));
            QTest::mouseClick(standardButton(advanced, QDialogButtonBox::Ok), Qt::LeftButton);
        };
        clickAdvanced(dialog);
        QTest::mouseClick(standardButton(dialog, QDialogButtonBox::Ok), Qt::LeftButton);

        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        for (const CheckBoxField& other : kCheckBoxes) {
            QVERIFY2(settings.*other.field == (other.field == next.field ? 1 : 0), other.label);
        }
    }
}

void ConnectDialogTest::okWritesPortAndLeavesHostAndHistoryToTheSession() {
    Settings settings;
    settings.port = 23;
    settings.host_name = "old.example";
    settings.host_hist = "old.example";
    RecordingUi ui;
    ScriptedGethost dialog(settings, ui);
    dialog.script = [](ConnectAdvancedDialog& advanced) {
        auto* port = advanced.findChild<QLineEdit*>();
        QCOMPARE(port->text(), QStringLiteral("23"));
        port->clear();
        QTest::keyClicks(port, QStringLiteral("992"));
        advanced.accept();
    };
    auto* combo = dialog.findChild<QComboBox*>();
    combo->lineEdit()->clear();
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("new.example:2023"));
    clickAdvanced(dialog);
    QCOMPARE(settings.port, 23);  // nothing is stored before OK of the Connect dialog
    dialog.accept();

    QCOMPARE(settings.port, 992);
    QCOMPARE(dialog.hostText(), std::string("new.example:2023"));
    QCOMPARE(settings.host_name, std::string("old.example"));
    QCOMPARE(settings.host_hist, std::string("old.example"));
    QCOMPARE(settings.ost_hist, std::string());
    QVERIFY(ui.calls.empty());
}

void ConnectDialogTest::cancelChangesNothing_data() {
    QTest::addColumn<bool>("advancedOk");
    QTest::addColumn<bool>("connectOk");
    QTest::newRow("advanced cancelled, connect OK") << false << true;
    QTest::newRow("advanced OK, connect cancelled") << true << false;
    QTest::newRow("both cancelled") << false << false;
}

void ConnectDialogTest::cancelChangesNothing() {
    QFETCH(bool, advancedOk);
    QFETCH(bool, connectOk);
    Settings settings;
    settings.port = 1234;
    settings.confirm = 0;
    settings.ssl = 1;
    settings.host_name = "host.example";
    settings.host_hist = "host.example";
    const Settings before = settings;
    RecordingUi ui;
    ScriptedGethost dialog(settings, ui);
    dialog.script = [&](ConnectAdvancedDialog& advanced) {
        auto* port = advanced.findChild<QLineEdit*>();
        port->clear();
        QTest::keyClicks(port, QStringLiteral("992"));
        for (const CheckBoxField& row : kCheckBoxes) {
            toggle(box(advanced, row.label));
        }
        QTest::mouseClick(
            standardButton(advanced, advancedOk ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel),
            Qt::LeftButton);
    };
    clickAdvanced(dialog);
    QCOMPARE(dialog.advancedRuns, 1);
    QTest::mouseClick(
        standardButton(dialog, connectOk ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel),
        Qt::LeftButton);

    QCOMPARE(dialog.result(), int(connectOk ? QDialog::Accepted : QDialog::Rejected));
    QVERIFY(touchable(settings) == touchable(before));
}

// A second visit to Advanced shows what the first one confirmed, and
// cancelling it keeps those values.
void ConnectDialogTest::reopenedAdvancedStartsFromConfirmedValues() {
    Settings settings;
    settings.port = 23;
    settings.ssl = 0;
    RecordingUi ui;
    ScriptedGethost dialog(settings, ui);
    dialog.script = [](ConnectAdvancedDialog& advanced) {
        auto* port = advanced.findChild<QLineEdit*>();
        port->clear();
        QTest::keyClicks(port, QStringLiteral("992"));
        toggle(box(advanced, "SSL (secure socket layer)"));
        advanced.accept();
    };
    clickAdvanced(dialog);

    QString secondPort;
    bool secondSsl = false;
    dialog.script = [&](ConnectAdvancedDialog& advanced) {
        secondPort = advanced.findChild<QLineEdit*>()->text();
        secondSsl = box(advanced, "SSL (secure socket layer)")->isChecked();
        toggle(box(advanced, "SSL (secure socket layer)"));
        advanced.reject();
    };
    clickAdvanced(dialog);
    QCOMPARE(secondPort, QStringLiteral("992"));
    QVERIFY(secondSsl);

    dialog.accept();
    QCOMPARE(settings.port, 992);
    QCOMPARE(settings.ssl, 1);
}

void ConnectDialogTest::portThatDoesNotParseIsKept_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("expected");
    QTest::newRow("letters") << "abc" << 1234;
    QTest::newRow("empty") << "" << 1234;
    QTest::newRow("blanks only") << "   " << 1234;
    QTest::newRow("letter first") << "x992" << 1234;
    QTest::newRow("plain number") << "992" << 992;
    QTest::newRow("leading blanks") << "  992" << 992;
    QTest::newRow("trailing junk") << "992abc" << 992;
    QTest::newRow("signed") << "-5" << -5;
}

void ConnectDialogTest::portThatDoesNotParseIsKept() {
    QFETCH(QString, typed);
    QFETCH(int, expected);
    ConnectAdvancedValues values;
    values.port = 1234;
    RecordingUi ui;
    ConnectAdvancedDialog advanced(values, ui);
    auto* port = advanced.findChild<QLineEdit*>();
    QVERIFY(port);
    port->clear();
    QTest::keyClicks(port, typed);
    advanced.accept();
    QCOMPARE(advanced.values().port, expected);
}

void ConnectDialogTest::keepAliveNoticeWhenTurnedOn_data() {
    QTest::addColumn<int>("initiallyOn");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("notices");
    QTest::newRow("already on, untouched") << 1 << 0 << 0;
    QTest::newRow("off, untouched") << 0 << 0 << 0;
    QTest::newRow("turned on") << 0 << 1 << 1;
    QTest::newRow("turned off") << 1 << 1 << 0;
    QTest::newRow("turned off and on again") << 1 << 2 << 1;
    QTest::newRow("turned on, off, on") << 0 << 3 << 2;
}

void ConnectDialogTest::keepAliveNoticeWhenTurnedOn() {
    QFETCH(int, initiallyOn);
    QFETCH(int, clicks);
    QFETCH(int, notices);
    ConnectAdvancedValues values;
    values.alive = initiallyOn;
    RecordingUi ui;
    ConnectAdvancedDialog advanced(values, ui);
    advanced.show();
    QCheckBox* alive = box(advanced, "Send Keep-Alive every 15 second");
    QVERIFY(alive);
    for (int i = 0; i < clicks; ++i) {
        toggle(alive);
    }
    QCOMPARE(ui.calls, std::vector<std::string>(notices, "message 32866"));
    QCOMPARE(ui.icons, std::vector<MessageIcon>(notices, MessageIcon::Warning));
    advanced.accept();
    QCOMPARE(advanced.values().alive, (initiallyOn + clicks) % 2);
}

}  // namespace kestrel

QTEST_MAIN(kestrel::ConnectDialogTest)
#include "connect_dialog_test.moc"
