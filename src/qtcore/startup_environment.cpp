#include "qtcore/startup_environment.h"

#include <QLocale>

#include "config/data_directory.h"
#include "config/settings_defaults.h"

namespace kestrel {

StartupEnvironment systemStartupEnvironment(const std::string& executablePath) {
    StartupEnvironment environment;
    environment.primaryLanguage = primaryLanguageFromIso(QLocale::system().name().toStdString());
    environment.dataDirectories = installedDataDirectories(executablePath);
    return environment;
}

}  // namespace kestrel
