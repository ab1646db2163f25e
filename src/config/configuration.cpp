#include "config/configuration.h"

#include <filesystem>

#include "config/config_import.h"
#include "config/data_directory.h"
#include "config/setting_keys.h"
#include "config/settings_defaults.h"

namespace kestrel {
namespace {

// A colour no saved configuration holds: its absence marks a first start.
constexpr int kProbeSentinel = 0x127865;
// The machine-wide value had room for 100 bytes with its terminator.
constexpr size_t kMachineDirRoom = 100;
constexpr int kResetQuestion = 32778;
constexpr int kShowNormal = 1;

bool isWindowPlacementKey(std::string_view key) {
    return key == "flags" || key == "showCmd" || key == "x1" || key == "y1" || key == "x2" ||
           key == "y2";
}

std::string currentDirectory() {
    std::error_code error;
    return std::filesystem::current_path(error).string();
}

void readKeys(Settings& settings, SettingsStore& store, const std::string& section) {
    for (const SettingKey& key : settingKeys()) {
        const std::string name(key.name);
        if (key.type == SettingType::Integer) {
            settings.*key.integer = store.readInt(section, name, settings.*key.integer);
        } else {
            settings.*key.string = store.readString(section, name, settings.*key.string);
        }
    }
}

}  // namespace

Configuration loadSettings(SettingsStore& store, UserInterface& ui,
                           const StartupEnvironment& environment,
                           const CommandLineSettings& commandLine) {
    Configuration configuration;
    configuration.configurationName = commandLine.configurationName;
    configuration.saveFlag = commandLine.saveFlag;
    const std::string section = configuration.section();

    std::optional<std::string> machineDir = store.readMachineDir();
    if (machineDir && (machineDir->empty() || machineDir->size() >= kMachineDirRoom)) {
        machineDir.reset();
    }
    configuration.machineDirFound = machineDir.has_value();

    const bool firstStart = store.readInt(section, "color_bg", kProbeSentinel) == kProbeSentinel;
    const std::string importPath = currentDirectory() + "/config32.txt";
    if (firstStart || importFileAsksToOverwrite(importPath)) {
        importConfigFile(currentDirectory(), store, section, configuration.configurationName, ui);
        if (!searchDataDirectory(machineDir, environment.dataDirectories, ui)) {
            configuration.saveFlag = "1";
        }
    }

    // A new named configuration starts from the default configuration's values.
    const std::string readSection =
        firstStart && !configuration.configurationName.starts_with('1') ? "Version 1.0/1" : section;

    configuration.toolbar.load(store, readSection, ui);

    Settings& settings = configuration.settings;
    const std::string cwd = currentDirectory();
    applyMachineDefaults(settings, environment.primaryLanguage, cwd);
    readKeys(settings, store, readSection);
    if (settings.crosshair && settings.blink) {
        settings.blink = 0;
    }
    const std::string separator(1, char(std::filesystem::path::preferred_separator));
    const std::string_view keyDirectory = directoryPart(settings.keyname);
    const bool keynameHasDirectory = settings.keyname.find_first_of("/\\") != std::string::npos;
    if (settings.recordcatalog.empty()) {
        settings.recordcatalog = keynameHasDirectory ? std::string(keyDirectory) : cwd + separator;
    }
    configuration.dataDirectory = keynameHasDirectory ? std::string(keyDirectory) : cwd + separator;

    if (commandLine.host) {
        settings.host_name = *commandLine.host;
        settings.autoconnect = 1;
    }
    if (commandLine.port) {
        settings.port = std::atoi(commandLine.port->c_str());
    }
    if (commandLine.hideToolbar) {
        settings.knap_bar = 0;
    }
    return configuration;
}

void saveSettings(Configuration& configuration, SettingsStore& store,
                  const std::optional<WindowPlacement>& window,
                  const std::vector<int>& toolbarButtons) {
    const std::string section = configuration.section();
    Settings& settings = configuration.settings;
    if (window && window->showState == kShowNormal) {
        settings.flags = window->flags;
        settings.showCmd = window->showState;
        settings.x1 = window->x1;
        settings.y1 = window->y1;
        settings.x2 = window->x2;
        settings.y2 = window->y2;
        for (const char* key : {"flags", "showCmd", "x1", "y1", "x2", "y2"}) {
            store.writeInt(section, key, settings.*findSetting(key)->integer);
        }
    }
    if (!configuration.saveFlag.starts_with('0')) {
        return;
    }
    if (window) {
        settings.fullshow = window->showState;
    }
    if (!configuration.machineDirFound) {
        store.writeMachineDir(configuration.dataDirectory);
    }
    configuration.toolbar.save(store, section, toolbarButtons);
    for (const SettingKey& key : settingKeys()) {
        if (isWindowPlacementKey(key.name)) {
            continue;
        }
        const std::string name(key.name);
        if (key.type == SettingType::Integer) {
            store.writeInt(section, name, settings.*key.integer);
        } else {
            store.writeString(section, name, settings.*key.string);
        }
    }
}

bool resetSettings(Settings& settings, UserInterface& ui) {
    if (ui.ask(kResetQuestion, MessageIcon::Question, Buttons::YesNo, Answer::No) != Answer::Yes) {
        return false;
    }
    const Settings defaults;
    settings.color_select = 0xFFFFFF;
    settings.color_white = 0xFFFFFF;
    settings.font_name = "Courier";
    settings.color_cursor = 0x808080;
    settings.color_bg = 0x000000;
    settings.color_red = 0x0000FF;
    settings.color_blue = 0xFF0000;
    settings.color_pink = 0xFF00FF;
    settings.color_green = 0x008000;
    settings.color_turquoise = 0xFFFF00;
    settings.color_yellow = 0x00FFFF;
    settings.color_fields = 0x000080;
    settings.show_unprotected = 0;
    settings.show_negotiation = 0;
    settings.bell = 1;
    settings.fontsize = 12;
    settings.font_weight = 0;
    settings.font_italic = 0;
    settings.port = 23;
    settings.autoconnect = 0;
    settings.autoreconnect = 0;
    settings.host_name.clear();
    settings.proxy_host = defaults.proxy_host;
    settings.proxy_enable = 0;
    settings.proxy_port = 1080;
    settings.proxy_syntax = defaults.proxy_syntax;
    settings.status_bar = 1;
    settings.knap_bar = 1;
    return true;
}

}  // namespace kestrel
