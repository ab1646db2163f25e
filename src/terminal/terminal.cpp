#include "terminal/terminal.h"

#include <cstdio>

#include "mapping/ebcdic_file.h"
#include "mapping/key_file.h"

namespace kestrel {

Terminal::Terminal(const Settings& initial, UserInterface& ui, Transport& transport)
    : settings(initial),
      engine(settings, image, ui),
      log(clock, engine.codePage, settings),
      session(settings, engine, lineMode, log, transport, ui) {}

bool Terminal::loadCodePage(const std::string& path) {
    const bool loaded = loadEbcdicFile(engine.codePage, path, engine.ui);
    if (loaded) {
        engine.render();
    }
    return loaded;
}

bool Terminal::loadKeyMap(const std::string& path) {
    return loadKeyFile(engine.keyBindings, path, engine.ui);
}

void Terminal::receiveRecord(const uint8_t* data, size_t length) {
    session.setRecordMode(true);
    session.deliverRecord(data, length);
}

std::array<std::string, 6> Terminal::statusPanes() {
    std::array<std::string, 6> panes;

    const ConnectionState state = session.state();
    panes[1] = connectionStateText(state);
    const bool online = state == ConnectionState::Online || state == ConnectionState::OnlineSsl;
    if (!online) {
        panes[2] = std::string(15, ' ');
    } else if (!session.recordMode()) {
        panes[2] = "ASCII MODE     ";
    } else if (!engine.keyboardUnlocked) {
        panes[2] = "X - WAIT       ";
    } else if (engine.inputError) {
        panes[2] = "X - WRONG INPUT";
    } else {
        panes[2] = std::string(15, ' ');
    }

    panes[3] = engine.insertMode ? "INSERT" : std::string(6, ' ');

    const int position = engine.cursorPosition();
    panes[4] = std::to_string(position >> 8) + "," + std::to_string(position & 0xFF);

    const std::string& name = engine.functionName;
    if (engine.isProgramCheck()) {
        panes[5] = "X-PROG ERROR";
    } else if (!name.empty() && (!engine.keyboardUnlocked || name.starts_with("ATTN") ||
                                 name.starts_with("SYSREQ"))) {
        char text[13];
        std::snprintf(text, sizeof text, "%12.12s", name.c_str());
        panes[5] = text;
    } else {
        panes[5] = std::string(12, ' ');
    }
    return panes;
}

}  // namespace kestrel
