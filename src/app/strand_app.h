// CStrandApp: the desktop terminal's application. It parses the command line,
// opens the settings store of the program's name and creates the main frame;
// when the desktop session ends it writes the configuration.
#pragma once

#include <QApplication>
#include <memory>

#include "app/main_frame.h"
#include "qtcore/qsettings_store.h"

namespace kestrel {

class CStrandApp : public QApplication {
  public:
    CStrandApp(int& argc, char** argv);
    ~CStrandApp() override;

    // Brings the terminal up; false when it cannot run.
    bool initInstance();
    CMainFrame* mainFrame() { return frame_.get(); }

  private:
    std::unique_ptr<QSettingsStore> store_;
    std::unique_ptr<CMainFrame> frame_;
};

}  // namespace kestrel
