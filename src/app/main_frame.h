// CMainFrame: the terminal's main window. Creating it reads the configuration
// (importing config32.txt at a first start), then builds the view, the menu
// bar, the toolbar "Standard" and the six-pane status bar; closing it asks
// before ending a live session and writes the configuration.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QToolBar>
#include <array>
#include <map>
#include <vector>

#include "app/desktop_ui.h"
#include "app/strand_doc.h"
#include "app/strand_view.h"
#include "config/command_line.h"
#include "config/configuration.h"
#include "config/settings_store.h"
#include "terminal/status_line.h"

namespace kestrel {

class CMainFrame : public QMainWindow {
  public:
    CMainFrame(const ParsedCommandLine& commandLine, SettingsStore& store,
               const StartupEnvironment& environment);
    ~CMainFrame() override;

    // Places the window as stored (or in its normal state) and shows it.
    void showPlaced();

    CStrandView& view() { return *view_; }
    Terminal& terminal() { return view_->terminal(); }
    CStrandDoc& document() { return document_; }
    const Configuration& configuration() const { return configuration_; }
    QToolBar* toolbar() { return toolbar_; }
    // The command's action, as the menus and the toolbar use it.
    QAction* action(int command) const;
    // The text of status pane INDEX (1..5) as shown.
    QString paneText(int index) const;

    // The idle pass: status panes, enable states, the start-up connection.
    void idleUpdate();
    // Writes the configuration to the store, as at exit.
    void saveConfiguration();

  protected:
    void closeEvent(QCloseEvent* event) override;
    // Notes the events after which the next idle pass runs.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    void bindCommands();
    QAction* makeAction(int command, const QString& label);
    void bind(int command, std::function<void()> run, std::function<bool()> enabled = {},
              std::function<bool()> checked = {});
    void run(int command);
    void updateActions();
    void updateTitle();
    void connectCommand();
    void showAbout();
    std::vector<int> toolbarCommands() const;
    std::optional<WindowPlacement> placement() const;

    struct Binding {
        std::function<void()> run;
        std::function<bool()> enabled;
        std::function<bool()> checked;
    };

    ParsedCommandLine commandLine_;
    SettingsStore& store_;
    DesktopUi ui_;
    Configuration configuration_;
    CStrandDoc document_;
    CStrandView* view_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    std::array<QLabel*, 6> panes_{};
    StatusLine statusLine_;
    std::map<int, QAction*> actions_;
    std::multimap<int, QAction*> toolbarActions_;
    std::map<int, Binding> bindings_;
    QMetaObject::Connection idleConnection_;
    bool idlePending_ = true;
    bool firstIdleDone_ = false;
    bool closing_ = false;
};

}  // namespace kestrel
