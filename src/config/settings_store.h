// The per-user settings store, as the core sees it: named integer and string
// values in sections, plus the one machine-wide value "dir".
//
// The desktop build keeps them with QSettings; tests use MemorySettingsStore.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

namespace kestrel {

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;

    virtual int readInt(const std::string& section, const std::string& key, int fallback) = 0;
    virtual std::string readString(const std::string& section, const std::string& key,
                                   const std::string& fallback) = 0;
    virtual void writeInt(const std::string& section, const std::string& key, int value) = 0;
    virtual void writeString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;

    // The machine-wide data directory; nothing when it is not stored.
    virtual std::optional<std::string> readMachineDir() = 0;
    virtual void writeMachineDir(const std::string& directory) = 0;
};

// A store held in memory. A value keeps the type it was written with: reading
// an integer that was stored as a string (or the reverse) gives the fallback.
class MemorySettingsStore : public SettingsStore {
  public:
    int readInt(const std::string& section, const std::string& key, int fallback) override {
        auto found = integers.find({section, key});
        return found == integers.end() ? fallback : found->second;
    }
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& fallback) override {
        auto found = strings.find({section, key});
        return found == strings.end() ? fallback : found->second;
    }
    void writeInt(const std::string& section, const std::string& key, int value) override {
        strings.erase({section, key});
        integers[{section, key}] = value;
    }
    void writeString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        integers.erase({section, key});
        strings[{section, key}] = value;
    }
    std::optional<std::string> readMachineDir() override { return machineDir; }
    void writeMachineDir(const std::string& directory) override { machineDir = directory; }

    std::map<std::pair<std::string, std::string>, int> integers;
    std::map<std::pair<std::string, std::string>, std::string> strings;
    std::optional<std::string> machineDir;
};

}  // namespace kestrel
