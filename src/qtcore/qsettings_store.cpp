#include "qtcore/qsettings_store.h"

namespace kestrel {
namespace {

QString path(const std::string& section, const std::string& key) {
    return QString::fromStdString(section + "/" + key);
}

}  // namespace

QSettingsStore::QSettingsStore(const std::string& application)
    : user_(QSettings::UserScope, "Quenta", QString::fromStdString(application)),
      machine_(QSettings::SystemScope, "Quenta", "tn3270") {}

int QSettingsStore::readInt(const std::string& section, const std::string& key, int fallback) {
    const QVariant value = user_.value(path(section, key));
    bool ok = false;
    const int number = value.toInt(&ok);
    return value.isValid() && ok ? number : fallback;
}

std::string QSettingsStore::readString(const std::string& section, const std::string& key,
                                       const std::string& fallback) {
    const QVariant value = user_.value(path(section, key));
    // A value edited by hand into a list of words comes back as a list: take it
    // as the text it was written as.
    if (value.userType() == QMetaType::QStringList) {
        return value.toStringList().join(", ").toStdString();
    }
    return value.isValid() ? value.toString().toStdString() : fallback;
}

void QSettingsStore::writeInt(const std::string& section, const std::string& key, int value) {
    user_.setValue(path(section, key), value);
}

void QSettingsStore::writeString(const std::string& section, const std::string& key,
                                 const std::string& value) {
    user_.setValue(path(section, key), QString::fromStdString(value));
}

std::optional<std::string> QSettingsStore::readMachineDir() {
    const QVariant value = machine_.value("dir");
    if (!value.isValid()) {
        return std::nullopt;
    }
    return value.toString().toStdString();
}

void QSettingsStore::writeMachineDir(const std::string& directory) {
    // Usually not writable for a user; like every store write, a failure is ignored.
    machine_.setValue("dir", QString::fromStdString(directory));
}

}  // namespace kestrel
