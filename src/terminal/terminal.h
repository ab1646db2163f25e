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
#include "engine/engine_extensions.h"
#include "engine/keyboard.h"
#include "engine/vt.h"
#include "net/line_mode_display.h"
#include "net/session.h"
#include "net/traffic_log.h"
#include "net/transport.h"
#include "platform/clock.h"
#include "platform/user_interface.h"

namespace kestrel {

class Terminal : private KeyboardHost {
  public:
    Terminal(const Settings& settings, UserInterface& ui, Transport& transport);
    ~Terminal() override;
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // Loads the EBCDIC mapping file at PATH into the engine's code page.
    bool loadCodePage(const std::string& path);
    // Loads the keyboard mapping file at PATH over the engine's key bindings.
    bool loadKeyMap(const std::string& path);

    // One complete 3270 record from the host. Record mode is on from here.
    void receiveRecord(const uint8_t* data, size_t length);

    // The keyboard: a key with its virtual-key code and modifiers, a typed
    // character (a display character), a host function as a key bound to it
    // would give it, and a click that places the cursor on a cell.
    void keyEvent(int code, bool ctrl, bool shift, int flags);
    void characterEvent(int code);
    // A character from the view's character handler: control characters in
    // record mode and Enter are the key handler's, not typing.
    void typedCharacter(int code);
    void hostFunction(int function);
    void clickCell(int row, int column);

    // The menu commands Clear, PA1, PA2 and PA3: the key without the lock check.
    void attentionCommand(uint8_t aid, std::string_view name);
    // The menu commands that run a local function (a HostFunction code) at
    // once, without the lock check: Erase Input, Erase Field, Dup, Field Mark.
    void localCommand(int function);

    // The six status-line panes, as the status bar shows them on an idle pass.
    // Showing a program check consumes it.
    std::array<std::string, 6> statusPanes();

    Settings settings;
    DisplayImage image;
    vt engine;
    EngineExtensions extensions;
    SystemClock clock;
    LineModeDisplay lineMode;
    TrafficLog log;
    Session session;

  private:
    // KeyboardHost
    bool recordMode() const override { return session.recordMode(); }
    void sendRaw(const uint8_t* data, size_t length) override { session.send(data, length, false); }

    // What goes to the host after an engine call that may produce output:
    // ATTN's IAC BRK, SYSREQ's IAC IP, then the pending record.
    void sendEngineOutput();
    void recordDelivered(size_t length, bool pending);
};

}  // namespace kestrel
