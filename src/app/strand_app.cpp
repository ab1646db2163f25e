#include "app/strand_app.h"

#include <QFileInfo>
#include <QSessionManager>

#include "config/command_line.h"
#include "qtcore/startup_environment.h"

namespace kestrel {

CStrandApp::CStrandApp(int& argc, char** argv) : QApplication(argc, argv) {
    // The program's base name names its settings, as it names the application.
    setApplicationName(QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName());
    setOrganizationName(QStringLiteral("Quenta"));
    setApplicationVersion(QStringLiteral(KESTREL_VERSION));
    setDesktopFileName(QStringLiteral("kestrel"));
}

CStrandApp::~CStrandApp() {
    frame_.reset();
}

bool CStrandApp::initInstance() {
    const QStringList arguments = QCoreApplication::arguments();
    std::vector<std::string> values;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        values.push_back(arguments[i].toStdString());
    }
    const ParsedCommandLine commandLine = parseCommandLine(values);

    store_ = std::make_unique<QSettingsStore>(applicationName().toStdString());
    frame_ = std::make_unique<CMainFrame>(
        commandLine, *store_, systemStartupEnvironment(arguments.value(0).toStdString()));
    // The end of the desktop session writes the configuration without asking.
    connect(this, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { frame_->saveConfiguration(); });
    frame_->showPlaced();
    return true;
}

}  // namespace kestrel
