// The settings store of the desktop build: the user's QSettings of
// organisation "Quenta" and the program's name, one group per section, and the
// machine-wide "dir" value of application "tn3270".
#pragma once

#include <QSettings>
#include <string>

#include "config/settings_store.h"

namespace kestrel {

class QSettingsStore : public SettingsStore {
  public:
    // APPLICATION is the program's base name, normally "kestrel".
    explicit QSettingsStore(const std::string& application);

    int readInt(const std::string& section, const std::string& key, int fallback) override;
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& fallback) override;
    void writeInt(const std::string& section, const std::string& key, int value) override;
    void writeString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    std::optional<std::string> readMachineDir() override;
    void writeMachineDir(const std::string& directory) override;

  private:
    QSettings user_;
    QSettings machine_;
};

}  // namespace kestrel
