// The main window as the program brings it up from its command line: menu,
// toolbar and title by the options, the configuration read and written with
// the save flag, the close confirmation, and the status panes and enable
// states through a session with the demo host.
#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "app/commands.h"
#include "app/gethost.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

// Answers every message box the program shows, recording its text: with
// ANSWER when the box has that button, else with its default button.
class MessageBoxAnswerer : public QObject {
  public:
    MessageBoxAnswerer() {
        timer_.setInterval(20);
        connect(&timer_, &QTimer::timeout, this, [this] { answerOpenBox(); });
        timer_.start();
    }
    QStringList texts;
    QMessageBox::StandardButton answer = QMessageBox::Ok;

  private:
    void answerOpenBox() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            return;
        }
        texts << box->text();
        QAbstractButton* button = box->button(answer);
        (button ? button : box->defaultButton())->click();
    }
    QTimer timer_;
};

// The demo host on a free loopback port, for as long as the test runs.
class DemoHost {
  public:
    DemoHost() {
        process_.start(QStringLiteral(KESTREL_DEMO_HOST), {"-port", "0"});
        process_.waitForStarted();
        while (port_ == 0 && process_.waitForReadyRead(5000)) {
            const QString line = QString::fromUtf8(process_.readLine()).trimmed();
            if (line.startsWith("listening on ")) {
                port_ = line.mid(13).toInt();
            }
        }
    }
    ~DemoHost() {
        process_.kill();
        process_.waitForFinished();
    }
    int port() const { return port_; }

  private:
    QProcess process_;
    int port_ = 0;
};

// Runs the event loop as the program does, blocking between events, so the
// frame's idle pass runs; until PREDICATE holds or MILLISECONDS pass.
bool waitUntil(const std::function<bool()>& predicate, int milliseconds = 10000) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (predicate()) {
            loop.quit();
        }
    });
    poll.start(10);
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    if (!predicate()) {
        loop.exec();
    }
    return predicate();
}

std::vector<std::string> split(const QString& commandLine) {
    std::vector<std::string> arguments;
    for (const QString& argument : commandLine.split(' ', Qt::SkipEmptyParts)) {
        arguments.push_back(argument.toStdString());
    }
    return arguments;
}

class MainFrameTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<test_support::TempDir> data;
    std::unique_ptr<test_support::TempDir> work;
    fs::path previous;
    MemorySettingsStore store;
    StartupEnvironment environment;
    std::unique_ptr<CMainFrame> frame;
    std::unique_ptr<MessageBoxAnswerer> boxes;

    // The frame as the program makes it from COMMANDLINE.
    CMainFrame& start(const QString& commandLine) {
        frame =
            std::make_unique<CMainFrame>(parseCommandLine(split(commandLine)), store, environment);
        return *frame;
    }
    int readInt(const std::string& configuration, const std::string& key) {
        return store.readInt("Version 1.0/" + configuration, key, -12345);
    }
    std::string readString(const std::string& configuration, const std::string& key) {
        return store.readString("Version 1.0/" + configuration, key, "<none>");
    }
    bool connectToDemoHost(const DemoHost& host) {
        start(QString("/H127.0.0.1 /P%1").arg(host.port()));
        frame->showPlaced();
        return waitUntil(
            [this] { return frame->paneText(1) == "ONLINE " && frame->paneText(4) == "5,16"; });
    }

  private slots:
    void init() {
        // The supplied files the first start looks for, away from the source tree.
        data = std::make_unique<test_support::TempDir>();
        work = std::make_unique<test_support::TempDir>();
        for (const char* name : {"tnkeys.map", "ebcdic.map"}) {
            fs::copy_file(fs::path(KESTREL_SOURCE_DATA_DIR) / name, data->path() / name);
        }
        environment.dataDirectories = {data->path().string()};
        previous = fs::current_path();
        fs::current_path(work->path());
        store = MemorySettingsStore{};
        boxes = std::make_unique<MessageBoxAnswerer>();
    }
    void cleanup() {
        frame.reset();
        boxes.reset();
        fs::current_path(previous);
    }

    void hostAndPortAreStoredWithAutoconnect() {
        start("/Hmyhost /P992").saveConfiguration();
        QCOMPARE(readString("1", "host_name"), std::string("myhost"));
        QCOMPARE(readInt("1", "port"), 992);
        QCOMPARE(readInt("1", "autoconnect"), 1);
    }

    void urlHostConnectsOnTheStoredPort() {
        store.writeInt("Version 1.0/1", "color_bg", 0);
        store.writeInt("Version 1.0/1", "port", 2023);
        CMainFrame& f = start("/H tn3270://myhost/some/path");
        QCOMPARE(f.terminal().settings.host_name, std::string("myhost"));
        QCOMPARE(f.terminal().settings.port, 2023);
        QCOMPARE(f.terminal().settings.autoconnect, 1);
    }

    void namedConfigurationStartsFromTheFirst() {
        store.writeInt("Version 1.0/1", "color_bg", 0x123456);
        start("/C2").saveConfiguration();
        QCOMPARE(readInt("2", "color_bg"), 0x123456);
        frame.reset();
        store.writeInt("Version 1.0/2", "color_bg", 0x654321);
        QCOMPARE(start("/C2").terminal().settings.color_bg, 0x654321);
    }

    void saveFlagKeepsAllButTheWindowRectangle() {
        CMainFrame& f = start("/S1");
        f.showPlaced();
        f.terminal().settings.color_bg = 0x111111;
        QVERIFY(f.close());
        QCOMPARE(readInt("1", "color_bg"), -12345);
        QCOMPARE(readInt("1", "showCmd"), 1);
        QVERIFY(readInt("1", "x2") > readInt("1", "x1"));
    }

    void closeWritesTheConfiguration() {
        CMainFrame& f = start("");
        f.showPlaced();
        f.terminal().settings.color_bg = 0x111111;
        QVERIFY(f.close());
        QCOMPARE(readInt("1", "color_bg"), 0x111111);
        QCOMPARE(readInt("1", "knap_bar"), 1);
        QVERIFY(boxes->texts.isEmpty());  // offline: no question
    }

    void menuOption_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<bool>("menu");
        QTest::addColumn<QString>("configuration");
        QTest::newRow("/M1") << "/M1" << false << "1";
        QTest::newRow("/M alone") << "/M" << true << "1";
        QTest::newRow("/M takes up x") << "/M /C2 x" << false << "2";
    }
    void menuOption() {
        QFETCH(QString, commandLine);
        QFETCH(bool, menu);
        QFETCH(QString, configuration);
        CMainFrame& f = start(commandLine);
        f.showPlaced();
        QCOMPARE(f.menuBar()->isVisible(), menu);
        QCOMPARE(f.configuration().configurationName, configuration.toStdString());
    }

    void toolbarOption() {
        CMainFrame& f = start("/T1");
        f.showPlaced();
        QVERIFY(!f.toolbar()->isVisible());
        QVERIFY(f.close());
        QCOMPARE(readInt("1", "knap_bar"), 0);
        frame.reset();
        store = MemorySettingsStore{};

        CMainFrame& g = start("/T");
        g.showPlaced();
        QVERIFY(g.toolbar()->isVisible());
        QCOMPARE(g.toolbar()->windowTitle(), QString("Standard"));
    }

    void sessionTitle_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("title");
        QTest::newRow("title") << "/NPayroll"
                               << "Payroll - Lyrn W32 TN3270";
        QTest::newRow("19 characters") << "/N1234567890123456789"
                                       << "1234567890123456789 - Lyrn W32 TN3270";
        QTest::newRow("20 characters") << "/N12345678901234567890"
                                       << "Untitled - Lyrn W32 TN3270";
    }
    void sessionTitle() {
        QFETCH(QString, commandLine);
        QFETCH(QString, title);
        QCOMPARE(start(commandLine).windowTitle(), title);
    }

    void toolbarFollowsTheSlotTable() {
        CMainFrame& f = start("");
        std::vector<int> commands;
        for (QAction* action : f.toolbar()->actions()) {
            commands.push_back(action->data().toInt());
            QVERIFY(!action->icon().isNull());
        }
        QCOMPARE(commands, (std::vector<int>{32771, 32777, 57635, 57634, 57637, 32811, 57664, 32831,
                                             32832, 32833, 32834, 32836, 32838, 32840}));
        // Commands still to come are there, but disabled.
        QVERIFY(!f.toolbar()->actions()[2]->isEnabled());  // Cut
        QVERIFY(f.toolbar()->actions()[7]->isEnabled());   // PA1
    }

    void sessionWithTheDemoHost() {
        DemoHost host;
        QVERIFY(host.port() > 0);
        QVERIFY(connectToDemoHost(host));
        CMainFrame& f = *frame;
        QCOMPARE(f.windowTitle(), QString("127.0.0.1 - Lyrn W32 TN3270"));
        QCOMPARE(f.paneText(2), QString(15, ' '));
        QVERIFY(!f.action(command::Connect)->isEnabled());
        QVERIFY(f.action(command::Disconnect)->isEnabled());

        // A character on a protected position: the input error, once.
        f.terminal().clickCell(1, 1);
        QTest::keyClick(&f.view(), Qt::Key_X);
        QVERIFY(waitUntil([&] { return f.paneText(2) == QString("X - WRONG INPUT"); }));

        // Enter locks the keyboard until the host answers with its menu.
        f.terminal().clickCell(5, 16);
        QTest::keyClicks(&f.view(), "alice");
        QTest::keyClick(&f.view(), Qt::Key_Tab);
        QTest::keyClicks(&f.view(), "demo");
        QTest::keyClick(&f.view(), Qt::Key_Return);
        f.idleUpdate();
        QCOMPARE(f.paneText(2), QString("X - WAIT       "));
        QCOMPARE(f.paneText(5), QString("       ENTER"));
        QVERIFY(waitUntil([&] { return f.paneText(2) == QString(15, ' '); }));
        QVERIFY(f.terminal().image.rowText(1).find("MAIN MENU") != std::string::npos);

        // Insert mode shows in its pane.
        QTest::keyClick(&f.view(), Qt::Key_Insert);
        QVERIFY(waitUntil([&] { return f.paneText(3) == QString("INSERT"); }));

        f.action(command::Disconnect)->trigger();
        QVERIFY(waitUntil([&] { return f.paneText(1) == QString("OFFLINE"); }));
        QVERIFY(f.action(command::Connect)->isEnabled());
        QVERIFY(!f.action(command::Disconnect)->isEnabled());
        QCOMPARE(f.windowTitle(), QString("Untitled - Lyrn W32 TN3270"));
    }

    void connectCommandAsksForTheHostOrConnectsAtOnce() {
        DemoHost host;
        const std::string section = "Version 1.0/1";
        store.writeInt(section, "color_bg", 0);
        store.writeString(section, "host_name", "127.0.0.1");
        store.writeInt(section, "port", host.port());

        // With /R1 the stored host is connected without the dialog.
        CMainFrame& direct = start("/R1");
        direct.showPlaced();
        direct.action(command::Connect)->trigger();
        QVERIFY(waitUntil([&] { return direct.paneText(1) == "ONLINE "; }));
        frame.reset();

        // Otherwise the Connect dialog asks, and what is typed there is used.
        CMainFrame& asking = start("");
        asking.showPlaced();
        asking.terminal().settings.host_name = "unused.example";
        QTimer::singleShot(50, [&host] {
            auto* dialog = qobject_cast<gethost*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* text = dialog->findChild<QLineEdit*>();
            text->setText(QString("127.0.0.1:%1").arg(host.port()));
            dialog->accept();
        });
        asking.action(command::Connect)->trigger();
        QVERIFY(waitUntil([&] { return asking.paneText(1) == "ONLINE "; }));
        QCOMPARE(asking.terminal().settings.host_hist, "127.0.0.1:" + std::to_string(host.port()));
    }

    void programCheckShowsUntilTheNextIdlePass() {
        CMainFrame& f = start("");
        f.showPlaced();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        waitUntil([] { return false; }, 100);                    // the window has settled
        const uint8_t cutOffOrder[] = {0xF5, 0xC2, 0x11, 0x40};  // SBA without its address
        f.terminal().receiveRecord(cutOffOrder, sizeof cutOffOrder);
        QVERIFY(waitUntil([&] { return f.paneText(5) == "X-PROG ERROR"; }));
        // Its own repaint does not take it away; the next event does.
        QTest::qWait(100);
        QCOMPARE(f.paneText(5), QString("X-PROG ERROR"));
        QTimer::singleShot(0, [] {});
        QVERIFY(waitUntil([&] { return f.paneText(5) == QString(12, ' '); }));
    }

    void closeAsksWhileConnected_data() {
        QTest::addColumn<int>("confirm");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("cancel keeps it") << 1 << int(QMessageBox::Cancel) << false;
        QTest::newRow("ok closes") << 1 << int(QMessageBox::Ok) << true;
        QTest::newRow("no confirm") << 0 << int(QMessageBox::Cancel) << true;
    }
    void closeAsksWhileConnected() {
        QFETCH(int, confirm);
        QFETCH(int, answer);
        QFETCH(bool, closes);
        DemoHost host;
        QVERIFY(connectToDemoHost(host));
        frame->terminal().settings.confirm = confirm;
        frame->terminal().settings.color_bg = 0x222222;
        boxes->answer = QMessageBox::StandardButton(answer);
        QCOMPARE(frame->close(), closes);
        QCOMPARE(frame->isVisible(), !closes);
        const QStringList expected =
            confirm ? QStringList{"There is an active session with the IBM Host. Do you really "
                                  "want to close this program ?"}
                    : QStringList{};
        QCOMPARE(boxes->texts, expected);
        QCOMPARE(readInt("1", "color_bg"), closes ? 0x222222 : -12345);
    }
};

}  // namespace
}  // namespace kestrel

QTEST_MAIN(kestrel::MainFrameTest)
#include "main_frame_test.moc"
