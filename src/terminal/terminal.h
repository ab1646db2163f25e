// Terminal: the Qt-free heart of the terminal view.
//
// Owns the settings in force, the display image, the engine and the host
// session, and knows what the view and the headless terminal both need:
// loading the mapping files, taking host records, and the texts of the status
// line.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "config/settings.h"
#include "engine/display_image.h"
#include "engine/vt.h"
#include "net/line_mode_display.h"
#include "net/session.h"
#include "net/traffic_log.h"
#include "net/transport.h"
#include "platform/clock.h"
#include "platform/user_interface.h"

namespace kestrel {

class Terminal {
  public:
    Terminal(const Settings& settings, UserInterface& ui, Transport& transport);

    // Loads the EBCDIC mapping file at PATH into the engine's code page.
    bool loadCodePage(const std::string& path);
    // Loads the keyboard mapping file at PATH over the engine's key bindings.
    bool loadKeyMap(const std::string& path);

    // One complete 3270 record from the host. Record mode is on from here.
    void receiveRecord(const uint8_t* data, size_t length);

    // The six status-line panes, as the status bar shows them on an idle pass.
    // Showing a program check consumes it.
    std::array<std::string, 6> statusPanes();

    Settings settings;
    DisplayImage image;
    vt engine;
    SystemClock clock;
    LineModeDisplay lineMode;
    TrafficLog log;
    Session session;
};

}  // namespace kestrel
