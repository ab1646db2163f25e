#include "script_commands.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <vector>

#include "config/setting_keys.h"
#include "engine/keyboard.h"
#include "mapping/display_charset.h"
#include "mapping/key_names.h"

namespace kestrel {
namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// Hex digits with optional blanks between them, two digits a byte.
bool parseHex(const std::string& text, std::vector<uint8_t>& bytes) {
    std::string digits;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c))) {
            digits += c;
        } else if (c != ' ' && c != '\t') {
            return false;
        }
    }
    if (digits.size() % 2 != 0) {
        return false;
    }
    for (size_t i = 0; i < digits.size(); i += 2) {
        bytes.push_back(uint8_t(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return true;
}

void printHexRow(std::ostream& out, const uint32_t* values, int count) {
    char text[10];
    for (int i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, i == 0 ? "%08X" : " %08X", values[i]);
        out << text;
    }
    out << '\n';
}

// Commands of the terminal that need parts not built yet.
bool isKnownCommand(const std::string& word) {
    static const char* const kCommands[] = {"macro", "copy", "paste", "paste-csv"};
    return std::find(std::begin(kCommands), std::end(kCommands), word) != std::end(kCommands);
}
// SECONDS as milliseconds; FALLBACK seconds when empty; -1 when not a number.
long parseSeconds(const std::string& seconds, long fallback) {
    if (seconds.find_first_not_of(" \t") == std::string::npos) {
        return fallback * 1000;
    }
    char* end = nullptr;
    const double value = std::strtod(seconds.c_str(), &end);
    if (end == seconds.c_str() || value < 0 || value > 86400) {
        return -1;
    }
    return long(value * 1000);
}

constexpr long kDefaultWaitSeconds = 30;
// Line-mode output counts as complete after this long without more of it.
constexpr long kSettleMilliseconds = 300;
// A connect has no time-out of its own; this only keeps a script from hanging.
constexpr long kConnectLimitMilliseconds = 300000;

}  // namespace

ScriptCommands::ScriptCommands(Terminal& terminal, ScriptUi& ui, std::ostream& out)
    : terminal_(terminal), ui_(ui), out_(out) {
    terminal_.session.setOfflineOutput([this](const std::vector<uint8_t>& bytes) {
        char digits[3];
        out_ << "sent: ";
        for (uint8_t byte : bytes) {
            std::snprintf(digits, sizeof digits, "%02X", byte);
            out_ << digits;
        }
        out_ << '\n';
    });
}

CommandResult ScriptCommands::execute(const std::string& rawLine) {
    std::string line = rawLine;
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') {
        return CommandResult::Ok;
    }
    const size_t end = line.find_first_of(" \t", start);
    const std::string word = lower(line.substr(start, end - start));
    const std::string rest = end == std::string::npos ? "" : line.substr(end + 1);

    if (word != "wait") {
        segmentsAtCommand_ = terminal_.session.segmentsReceived();
    }
    const std::string error = run(word, rest);
    if (!error.empty()) {
        out_ << "error: " << error << '\n';
        return CommandResult::Error;
    }
    out_ << "ok\n";
    return word == "quit" ? CommandResult::Quit : CommandResult::Ok;
}

std::string ScriptCommands::run(const std::string& word, const std::string& rest) {
    // Commands with output print it and succeed.
    const auto printing = [](void (ScriptCommands::*print)()) {
        return [print](ScriptCommands& self, const std::string&) {
            (self.*print)();
            return std::string();
        };
    };
    using Handler = std::function<std::string(ScriptCommands&, const std::string&)>;
    static const std::map<std::string, Handler> kHandlers = {
        {"record", &ScriptCommands::record},
        {"feed", &ScriptCommands::feed},
        {"connect", &ScriptCommands::connect},
        {"disconnect",
         [](ScriptCommands& self, const std::string&) {
             self.terminal_.session.disconnectCommand();
             return std::string();
         }},
        {"wait", &ScriptCommands::wait},
        {"wait-disconnect", &ScriptCommands::waitDisconnect},
        {"screen", printing(&ScriptCommands::printScreen)},
        {"cells", printing(&ScriptCommands::printCells)},
        {"image", printing(&ScriptCommands::printImage)},
        {"status", printing(&ScriptCommands::printStatus)},
        {"set", &ScriptCommands::set},
        {"get", &ScriptCommands::get},
        {"sleep", &ScriptCommands::sleep},
        {"type", &ScriptCommands::type},
        {"key", &ScriptCommands::key},
        {"pckey", &ScriptCommands::pcKey},
        {"cursor", &ScriptCommands::cursor},
        {"quit", [](ScriptCommands&, const std::string&) { return std::string(); }},
    };
    if (const auto found = kHandlers.find(word); found != kHandlers.end()) {
        return found->second(*this, rest);
    }
    if (isKnownCommand(word)) {
        return "not available";
    }
    return "unknown command " + word;
}

std::string ScriptCommands::record(const std::string& hex) {
    std::vector<uint8_t> bytes;
    if (!parseHex(hex, bytes)) {
        return "bad hex";
    }
    terminal_.receiveRecord(bytes.data(), bytes.size());
    return "";
}

std::string ScriptCommands::feed(const std::string& hex) {
    std::vector<uint8_t> bytes;
    if (!parseHex(hex, bytes)) {
        return "bad hex";
    }
    terminal_.session.feed(bytes.data(), bytes.size());
    return "";
}

std::string ScriptCommands::type(const std::string& text) {
    for (char c : utf8ToDisplay(text, terminal_.settings.font_charset)) {
        terminal_.typedCharacter(static_cast<unsigned char>(c));
    }
    return "";
}

std::string ScriptCommands::key(const std::string& name) {
    static const std::map<std::string, int> kCursorKeys = {
        {"LEFT", key_code::kLeft},
        {"RIGHT", key_code::kRight},
        {"UP", key_code::kUp},
        {"DOWN", key_code::kDown},
    };
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    if (const auto cursor = kCursorKeys.find(upper); cursor != kCursorKeys.end()) {
        terminal_.keyEvent(cursor->second, false, false, 0);
        return "";
    }
    const HostFunction* function = findHostFunction(upper);
    if (!function) {
        return "unknown function " + name;
    }
    terminal_.hostFunction(function->code);
    return "";
}

std::string ScriptCommands::pcKey(const std::string& name) {
    const PcKey* key = findPcKey(name);
    const auto stroke = key ? keyStrokeForPcKey(key->code) : std::nullopt;
    if (!stroke) {
        return "unknown key " + name;
    }
    terminal_.keyEvent(stroke->code, stroke->ctrl, stroke->shift, stroke->flags);
    return "";
}

std::string ScriptCommands::cursor(const std::string& rowAndColumn) {
    int row = 0;
    int column = 0;
    char extra = 0;
    if (std::sscanf(rowAndColumn.c_str(), "%d %d %c", &row, &column, &extra) != 2) {
        return "expected ROW COL";
    }
    terminal_.clickCell(row, column);
    return "";
}

std::string ScriptCommands::connect(const std::string& hostText) {
    Session& session = terminal_.session;
    if (hostText.empty()) {
        return "no host";
    }
    const bool wasConnected = session.connected();
    ui_.lastMessage.clear();
    session.connectCommand(hostText);
    processEventsUntil(
        [&] { return !session.requesting() && (!session.connected() || session.proxyStepDone()); },
        kConnectLimitMilliseconds);
    if (!wasConnected && session.connected() && session.proxyStepDone()) {
        return "";
    }
    if (!ui_.lastMessage.empty()) {
        return ui_.lastMessage;
    }
    return session.requesting() ? "timeout" : "not connected";
}

std::string ScriptCommands::wait(const std::string& seconds) {
    const long limit = parseSeconds(seconds, kDefaultWaitSeconds);
    if (limit < 0) {
        return "not a number: " + seconds;
    }
    Session& session = terminal_.session;
    const vt& engine = terminal_.engine;
    // In record mode the host is done when it unlocks the keyboard; before
    // that (negotiation, a proxy's prompt) when its output has settled.
    uint64_t seen = session.segmentsReceived();
    QDeadlineTimer quiet(kSettleMilliseconds);
    const bool done = processEventsUntil(
        [&] {
            if (session.segmentsReceived() != seen) {
                seen = session.segmentsReceived();
                quiet.setRemainingTime(kSettleMilliseconds);
            }
            if (!session.connected()) {
                return true;
            }
            if (seen == segmentsAtCommand_) {
                return false;
            }
            return session.recordMode() ? engine.keyboardUnlocked != 0 : quiet.hasExpired();
        },
        limit);
    if (!session.connected()) {
        return "disconnected";
    }
    return done ? "" : "timeout";
}

std::string ScriptCommands::waitDisconnect(const std::string& seconds) {
    const long limit = parseSeconds(seconds, kDefaultWaitSeconds);
    if (limit < 0) {
        return "not a number: " + seconds;
    }
    const Session& session = terminal_.session;
    const bool done =
        processEventsUntil([&] { return !session.connected() && !session.requesting(); }, limit);
    return done ? "" : "timeout";
}

bool ScriptCommands::processEventsUntil(const std::function<bool()>& done, long milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired() || ui_.exitRequested) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                        int(std::min<qint64>(50, deadline.remainingTime())));
    }
    return true;
}

void ScriptCommands::printScreen() {
    for (int row = 1; row <= terminal_.engine.rows(); ++row) {
        out_ << displayToUtf8(terminal_.image.rowText(row), terminal_.settings.font_charset)
             << '\n';
    }
}

void ScriptCommands::printCells() {
    const vt& engine = terminal_.engine;
    for (int row = 0; row < engine.rows(); ++row) {
        printHexRow(out_, engine.presentationSpace.data() + row * vt::kColumns, vt::kColumns);
    }
}

void ScriptCommands::printImage() {
    std::array<uint32_t, vt::kColumns> values;
    for (int row = 1; row <= terminal_.engine.rows(); ++row) {
        for (int column = 1; column <= vt::kColumns; ++column) {
            values[column - 1] = terminal_.image.cell(row, column);
        }
        printHexRow(out_, values.data(), vt::kColumns);
    }
}

void ScriptCommands::printStatus() {
    const auto panes = terminal_.statusPanes();
    out_ << "status: ";
    for (size_t i = 0; i < panes.size(); ++i) {
        out_ << (i ? "|" : "") << panes[i];
    }
    out_ << '\n';
}

std::string ScriptCommands::set(const std::string& rest) {
    const size_t blank = rest.find(' ');
    const std::string key = rest.substr(0, blank);
    const std::string value = blank == std::string::npos ? "" : rest.substr(blank + 1);
    switch (setSettingFromText(terminal_.settings, key, value)) {
        case SettingStatus::Ok:
            return "";
        case SettingStatus::UnknownKey:
            return "unknown setting " + key;
        case SettingStatus::BadNumber:
            return "not a number: " + value;
    }
    return "";
}

std::string ScriptCommands::get(const std::string& key) {
    const auto value = settingAsText(terminal_.settings, key);
    if (!value) {
        return "unknown setting " + key;
    }
    out_ << key << '=' << *value << '\n';
    return "";
}

std::string ScriptCommands::sleep(const std::string& milliseconds) {
    char* end = nullptr;
    const long ms = std::strtol(milliseconds.c_str(), &end, 10);
    if (end == milliseconds.c_str() || ms < 0) {
        return "not a number: " + milliseconds;
    }
    processEventsUntil([] { return false; }, ms);
    return "";
}

}  // namespace kestrel
