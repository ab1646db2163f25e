#include "app/main_frame.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include "app/commands.h"
#include "app/gethost.h"
#include "app/toolbar_icons.h"
#include "engine/keyboard.h"
#include "engine/read_reply.h"

namespace kestrel {
namespace {

constexpr int kFrameMessage = 198;

// A 0/1 setting flipped by its menu command.
void toggle(int& setting) {
    setting = setting ? 0 : 1;
}

QString qt(const char* text) {
    return QString::fromUtf8(text ? text : "");
}

}  // namespace

CMainFrame::CMainFrame(const ParsedCommandLine& commandLine, SettingsStore& store,
                       const StartupEnvironment& environment)
    : commandLine_(commandLine), store_(store), document_(commandLine.documentTitle()) {
    ui_.setWindow(this);
    configuration_ = loadSettings(store_, ui_, environment, commandLine_.toSettings());

    view_ = new CStrandView(configuration_.settings, ui_, this);
    setCentralWidget(view_);
    ui_.setRepaintHandler([this](Repaint kind) {
        if (view_) {
            view_->repaintRequest(kind);
        }
    });
    ui_.setTitleHandler([this](const std::string& title) {
        document_.setTitle(title);
        updateTitle();
    });
    ui_.setTimerHandler([this](int id) {
        if (!view_) {
            return;
        }
        if (id == timer::Blink) {
            view_->blinkTick();
        } else {
            terminal().session.onTimer(id);
        }
    });
    // The mapping files are read just before the first connection.
    Terminal& t = terminal();
    t.session.setBeforeFirstConnect([&t] {
        t.loadKeyMap(t.settings.keyname);
        t.loadCodePage(t.settings.ebcdic_id);
    });

    bindCommands();
    buildMenus();
    buildToolbar();
    buildStatusBar();
    if (commandLine_.noMenu) {
        menuBar()->hide();
    }
    const Settings& settings = terminal().settings;
    statusBar()->setVisible(settings.status_bar != 0);
    toolbar_->setVisible(settings.knap_bar != 0);
    updateTitle();

    // The idle pass: when the event loop is about to wait after an event
    // that may have changed something: input, a timer, the socket, a queued
    // call. Painting and layout do not count, or a program check would be
    // consumed by the repaint that its own text causes.
    qApp->installEventFilter(this);
    idleConnection_ = connect(QAbstractEventDispatcher::instance(),
                              &QAbstractEventDispatcher::aboutToBlock, this, [this] {
                                  if (idlePending_) {
                                      idlePending_ = false;
                                      idleUpdate();
                                  }
                              });
}

CMainFrame::~CMainFrame() {
    disconnect(idleConnection_);
    qApp->removeEventFilter(this);
    // The view's session ends while the user interface it talks to is alive.
    delete view_;
    view_ = nullptr;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::Timer:
        case QEvent::SockAct:
        case QEvent::SockClose:
            idlePending_ = true;
            break;
        case QEvent::MetaCall:
            // Animation frames are the style's own business.
            if (!watched->inherits("QAnimationTimer")) {
                idlePending_ = true;
            }
            break;
        default:
            break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::updateTitle() {
    setWindowTitle(QString::fromStdString(document_.windowTitle()));
}

// ---- placement

void CMainFrame::showPlaced() {
    const Settings& s = configuration_.settings;
    const bool stored =
        s.flags != -1 && s.showCmd != -1 && s.x1 != -1 && s.y1 != -1 && s.x2 != -1 && s.y2 != -1;
    if (!stored) {
        resize(1000, 760);
        show();
    } else {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        constexpr int kIcon = 32;
        const int x = std::min(s.x1, screen.width() - kIcon);
        const int y = std::min(s.y1, screen.height() - kIcon);
        setGeometry(x, y, std::max(1, s.x2 - s.x1), std::max(1, s.y2 - s.y1));
        s.showCmd == 3 ? showMaximized() : show();
    }
    if (s.fullshow == 3) {
        showMaximized();
    }
    activateWindow();
    view_->setFocus();
}

std::optional<WindowPlacement> CMainFrame::placement() const {
    WindowPlacement p;
    p.showState = isMaximized() ? 3 : isMinimized() ? 2 : 1;
    p.flags = 0;
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    p.x1 = normal.left();
    p.y1 = normal.top();
    p.x2 = normal.left() + normal.width();
    p.y2 = normal.top() + normal.height();
    return p;
}

// ---- closing

void CMainFrame::closeEvent(QCloseEvent* event) {
    Terminal& t = terminal();
    if (t.settings.confirm && t.session.connected() &&
        ui_.ask(kFrameMessage, MessageIcon::Question, Buttons::OkCancel, Answer::Ok) !=
            Answer::Ok) {
        event->ignore();
        return;
    }
    saveConfiguration();
    closing_ = true;
    event->accept();
}

void CMainFrame::saveConfiguration() {
    configuration_.settings = terminal().settings;
    configuration_.settings.knap_bar = toolbar_->isVisibleTo(this) ? 1 : 0;
    configuration_.settings.status_bar = statusBar()->isVisibleTo(this) ? 1 : 0;
    saveSettings(configuration_, store_, isVisible() ? placement() : std::nullopt,
                 toolbarCommands());
}

std::vector<int> CMainFrame::toolbarCommands() const {
    std::vector<int> commands;
    for (QAction* action : toolbar_->actions()) {
        commands.push_back(action->isSeparator() ? 0 : action->data().toInt());
    }
    return commands;
}

// ---- commands

QAction* CMainFrame::makeAction(int command, const QString& label) {
    auto* action = new QAction(label, this);
    action->setData(command);
    action->setStatusTip(qt(commandPrompt(command)));
    const auto binding = bindings_.find(command);
    action->setEnabled(binding != bindings_.end());
    if (binding != bindings_.end() && binding->second.checked) {
        action->setCheckable(true);
    }
    connect(action, &QAction::triggered, this, [this, command] { run(command); });
    return action;
}

QAction* CMainFrame::action(int command) const {
    const auto found = actions_.find(command);
    return found == actions_.end() ? nullptr : found->second;
}

void CMainFrame::bind(int command, std::function<void()> run, std::function<bool()> enabled,
                      std::function<bool()> checked) {
    bindings_[command] = {std::move(run), std::move(enabled), std::move(checked)};
}

void CMainFrame::run(int command) {
    const auto binding = bindings_.find(command);
    if (binding == bindings_.end()) {
        return;
    }
    if (binding->second.enabled && !binding->second.enabled()) {
        return;
    }
    binding->second.run();
    updateActions();
}

void CMainFrame::bindCommands() {
    Terminal& t = terminal();
    Settings& s = t.settings;
    auto offline = [&t] { return !t.session.connected() && !t.session.requesting(); };
    auto online = [&t] { return t.session.connected(); };
    bind(
        command::Connect, [this] { connectCommand(); }, offline);
    bind(
        command::ConnectButton, [this] { connectCommand(); }, offline);
    bind(
        command::Disconnect, [&t] { t.session.disconnectCommand(); }, online);
    bind(
        command::DisconnectButton, [&t] { t.session.disconnectCommand(); }, online);
    bind(command::Exit, [this] { close(); });

    bind(
        command::ShowUnprotected,
        [this, &s] {
            toggle(s.show_unprotected);
            view_->fullRepaint();
        },
        {}, [&s] { return s.show_unprotected != 0; });
    bind(command::ResetTerminal, [&t] { resetKeyboard(t.engine); });
    bind(
        command::Toolbar, [this] { toolbar_->setVisible(!toolbar_->isVisibleTo(this)); }, {},
        [this] { return toolbar_->isVisibleTo(this); });
    bind(
        command::StatusBar, [this] { statusBar()->setVisible(!statusBar()->isVisibleTo(this)); },
        {}, [this] { return statusBar()->isVisibleTo(this); });
    bind(
        command::IgnoreBorder,
        [this, &s] {
            toggle(s.ignore_border);
            view_->refitFont();
            view_->fullRepaint();
        },
        {}, [&s] { return s.ignore_border != 0; });
    bind(command::ResetConfiguration, [this, &s] {
        if (resetSettings(s, ui_)) {
            view_->refitFont();
            view_->fullRepaint();
        }
    });
    bind(
        command::Typeahead, [&s] { toggle(s.typeahead); }, {}, [&s] { return s.typeahead != 0; });
    bind(
        command::Bell, [&s] { toggle(s.bell); }, {}, [&s] { return s.bell != 0; });
    bind(command::About, [this] { showAbout(); });

    bind(command::Pa1, [&t] { t.attentionCommand(aid::kPa1, "PA1"); });
    bind(command::Pa2, [&t] { t.attentionCommand(aid::kPa2, "PA2"); });
    bind(command::Pa3, [&t] { t.attentionCommand(aid::kPa3, "PA3"); });
    bind(command::Clear, [&t] { t.attentionCommand(aid::kClear, "CLEAR"); });
    bind(command::Dup, [&t] { t.localCommand(host_function::kDup); });
    bind(command::FieldMark, [&t] { t.localCommand(host_function::kFieldMark); });
    bind(command::EraseInput, [&t] { t.localCommand(host_function::kEraseInput); });
    bind(command::EraseField, [&t] { t.localCommand(host_function::kEraseField); });
}

void CMainFrame::connectCommand() {
    Terminal& t = terminal();
    if (t.session.connected()) {
        t.session.connectCommand(t.settings.host_name);  // tells the user there is one already
        return;
    }
    if (commandLine_.directConnectRequested() && t.settings.port != 0) {
        t.session.connect(t.settings.host_name, t.settings.port);
        return;
    }
    gethost dialog(t.settings, ui_, this);
    if (dialog.exec() == QDialog::Accepted) {
        t.session.connectCommand(dialog.hostText());
    }
    view_->setFocus();
}

void CMainFrame::showAbout() {
    QMessageBox::about(this, qt(commandLabel(command::About)).remove('&'),
                       QStringLiteral("<b>Kestrel</b> %1<br>An IBM 3278 display station (model 2 "
                                      "and 3) on TN3270, in clear or over SSL 3.0.")
                           .arg(QStringLiteral(KESTREL_VERSION)));
}

void CMainFrame::updateActions() {
    auto refresh = [this](int command, QAction* action) {
        const auto binding = bindings_.find(command);
        if (binding == bindings_.end()) {
            return;
        }
        action->setEnabled(!binding->second.enabled || binding->second.enabled());
        if (binding->second.checked) {
            action->setChecked(binding->second.checked());
        }
    };
    for (const auto& [command, action] : actions_) {
        refresh(command, action);
    }
    for (const auto& [command, action] : toolbarActions_) {
        refresh(command, action);
    }
}

// ---- menus, toolbar, status bar

void CMainFrame::buildMenus() {
    for (const Menu& menu : mainMenu()) {
        QMenu* top = menuBar()->addMenu(qt(menu.title));
        QMenu* current = top;
        for (const MenuEntry& entry : menu.entries) {
            if (entry.endSubmenu) {
                current = top;
            } else if (entry.command == 0 && entry.label) {
                current = top->addMenu(qt(entry.label));
            } else if (entry.command == 0) {
                current->addSeparator();
            } else {
                QAction* action = makeAction(entry.command, qt(entry.label));
                actions_[entry.command] = action;
                current->addAction(action);
            }
        }
        connect(top, &QMenu::aboutToShow, this, [this] { updateActions(); });
    }
}

void CMainFrame::buildToolbar() {
    toolbar_ = addToolBar(QStringLiteral("Standard"));
    toolbar_->setObjectName(QStringLiteral("Standard"));
    toolbar_->setIconSize(QSize(16, 16));
    for (const ToolbarButton& button : configuration_.toolbar.buttons()) {
        QString label = qt(commandLabel(button.command)).remove('&');
        QAction* action = makeAction(button.command, label);
        action->setIcon(toolbarIcon(button.slot));
        action->setToolTip(label);
        toolbar_->addAction(action);
        if (!button.text.empty()) {
            // A button with a text of its own shows it beside the icon.
            action->setText(QString::fromStdString(button.text));
            if (auto* tool = qobject_cast<QToolButton*>(toolbar_->widgetForAction(action))) {
                tool->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
            }
        }
        toolbarActions_.insert({button.command, action});
    }
}

void CMainFrame::buildStatusBar() {
    QStatusBar* bar = statusBar();
    for (int i = 1; i < 6; ++i) {
        auto* pane = new QLabel(this);
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        QFont font = pane->font();
        font.setStyleHint(QFont::TypeWriter);
        font.setFamily(QStringLiteral("Liberation Mono"));
        pane->setFont(font);
        const int width = pane->fontMetrics().horizontalAdvance(qt(kStatusPaneSizingTexts[i])) + 12;
        pane->setFixedWidth(width);
        bar->addPermanentWidget(pane);
        panes_[i] = pane;
    }
}

QString CMainFrame::paneText(int index) const {
    if (index == 0) {
        return statusBar()->currentMessage();
    }
    return index > 0 && index < 6 ? panes_[index]->text() : QString();
}

void CMainFrame::idleUpdate() {
    if (closing_ || !view_) {
        return;
    }
    const std::array<std::string, 6> panes = statusLine_.update(terminal(), ui_);
    for (int i = 1; i < 6; ++i) {
        const QString text = QString::fromStdString(panes[i]);
        if (panes_[i]->text() != text) {
            panes_[i]->setText(text);
        }
    }
    if (!firstIdleDone_) {
        firstIdleDone_ = true;
        // Connecting may show a message box: not from inside the idle signal.
        QTimer::singleShot(0, this, [this] { terminal().session.autoConnectCheck(); });
    }
    updateActions();
}

}  // namespace kestrel
