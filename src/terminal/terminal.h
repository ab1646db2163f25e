// Terminal: the Qt-free heart of the terminal view.
//
// Owns the settings in force, the display image and the engine, and knows
// what the view and the headless terminal both need: loading the code page,
// taking host records, and the texts of the status line.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "config/settings.h"
#include "engine/display_image.h"
#include "engine/vt.h"
#include "platform/user_interface.h"

namespace kestrel {

enum class ConnectionState { Offline, Request, Online, OnlineSsl };

class Terminal {
  public:
    Terminal(const Settings& settings, UserInterface& ui);

    // Loads the EBCDIC mapping file at PATH into the engine's code page.
    bool loadCodePage(const std::string& path);
    // Loads the keyboard mapping file at PATH over the engine's key bindings.
    bool loadKeyMap(const std::string& path);

    // One complete 3270 record from the host. Record mode is on from here.
    void receiveRecord(const uint8_t* data, size_t length);

    ConnectionState connectionState() const { return ConnectionState::Offline; }
    bool recordMode() const { return recordMode_; }

    // The six status-line panes, as the status bar shows them on an idle pass.
    // Showing a program check consumes it.
    std::array<std::string, 6> statusPanes();

    Settings settings;
    DisplayImage image;
    vt engine;

  private:
    bool recordMode_ = false;
};

}  // namespace kestrel
