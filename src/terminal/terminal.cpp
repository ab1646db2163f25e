#include "terminal/terminal.h"

#include <algorithm>
#include <cstdio>

#include "engine/read_reply.h"
#include "mapping/ebcdic_file.h"
#include "mapping/key_file.h"

namespace kestrel {

Terminal::Terminal(const Settings& initial, UserInterface& ui, Transport& transport)
    : settings(initial),
      engine(settings, image, ui),
      // At the end of each host record, keys typed ahead are replayed.
      extensions([this](vt& e) { replayTypeAhead(e, *this); }),
      log(clock, engine.codePage, settings),
      session(settings, engine, lineMode, log, transport, ui) {
    engine.setExtensions(&extensions);
    session.setRecordDelivered(
        [this](size_t length, bool pending) { recordDelivered(length, pending); });
    session.setConnecting([this] { resetAutoLogin(engine); });
}

Terminal::~Terminal() {
    engine.setExtensions(nullptr);
}

void Terminal::recordDelivered(size_t length, bool pending) {
    sendEngineOutput();
    if (session.recordMode() && autoLogin(engine, *this, length, pending)) {
        session.sendPendingRecord();
    }
}

void Terminal::sendEngineOutput() {
    if (takeAttnPending(engine)) {
        session.sendTelnetCommand(telnet::BRK);
    }
    if (takeSysreqPending(engine)) {
        session.sendTelnetCommand(telnet::IP);
    }
    session.sendPendingRecord();
}

void Terminal::keyEvent(int code, bool ctrl, bool shift, int flags) {
    if (kestrel::keyEvent(engine, *this, code, ctrl, shift, flags)) {
        sendEngineOutput();
    }
}

void Terminal::characterEvent(int code) {
    if (kestrel::characterEvent(engine, *this, code)) {
        session.sendPendingRecord();
    }
}

void Terminal::typedCharacter(int code) {
    constexpr int kEnter = 13;
    if (code == kEnter || (code < 32 && session.recordMode())) {
        return;
    }
    characterEvent(code);
}

void Terminal::hostFunction(int function) {
    if (pressHostFunction(engine, *this, function)) {
        sendEngineOutput();
    }
}

void Terminal::clickCell(int row, int column) {
    engine.setCursor(std::clamp(column, 1, vt::kColumns), std::clamp(row, 1, engine.rows()));
}

void Terminal::attentionCommand(uint8_t aid, std::string_view name) {
    sendAidByName(engine, aid, name);
    session.sendPendingRecord();
}

void Terminal::localCommand(int function) {
    if (runLocalFunction(engine, *this, function)) {
        sendEngineOutput();
    }
}

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
