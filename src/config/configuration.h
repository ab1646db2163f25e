// The configuration of one run: the settings, the toolbar arrangement and what
// reading them found out, loaded from the store at start and written at exit.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "config/settings_store.h"
#include "config/toolbar_slots.h"
#include "platform/user_interface.h"

namespace kestrel {

// What the command line says about the configuration.
struct CommandLineSettings {
    std::string configurationName = "1";
    std::string saveFlag = "0";
    std::optional<std::string> host;
    std::optional<std::string> port;
    bool hideToolbar = false;
};

// What reading the configuration needs to know about the machine.
struct StartupEnvironment {
    int primaryLanguage = 9;  // Windows primary language identifier
    // Where the supplied files were installed (installedDataDirectories()).
    std::vector<std::string> dataDirectories;
};

// The main window's placement, as stored in the window-placement keys.
struct WindowPlacement {
    int showState = 1;  // 1 normal, 2 minimised, 3 maximised
    int flags = 0;
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
};

struct Configuration {
    Settings settings;
    ToolbarSlots toolbar;
    std::string configurationName = "1";
    // The configuration is written at exit only while this begins with '0'.
    std::string saveFlag = "0";
    std::string dataDirectory;
    // The machine-wide "dir" value was present at start-up.
    bool machineDirFound = false;

    std::string section() const { return "Version 1.0/" + configurationName; }
};

// Reads the configuration at start: imports config32.txt at the first start
// of a configuration (or when it says OVERWRITE), lets a new named
// configuration start from configuration 1, then applies the command line.
Configuration loadSettings(SettingsStore& store, UserInterface& ui,
                           const StartupEnvironment& environment,
                           const CommandLineSettings& commandLine);

// Writes the configuration at exit. WINDOW is the main window's placement when
// there is a window; TOOLBARBUTTONS the commands of the toolbar's buttons in order.
void saveSettings(Configuration& configuration, SettingsStore& store,
                  const std::optional<WindowPlacement>& window,
                  const std::vector<int>& toolbarButtons);

// "Reset Configuration...": after the user confirms, sets the installation
// values. Returns true when they were set; the store is not touched.
bool resetSettings(Settings& settings, UserInterface& ui);

}  // namespace kestrel
