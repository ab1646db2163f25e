#include "script_commands.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "config/setting_keys.h"
#include "mapping/display_charset.h"

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
    static const char* const kCommands[] = {
        "connect", "disconnect", "wait", "wait-disconnect", "type",      "key", "pckey", "cursor",
        "feed",    "macro",      "copy", "paste",           "paste-csv",
    };
    return std::find(std::begin(kCommands), std::end(kCommands), word) != std::end(kCommands);
}

}  // namespace

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

    const std::string error = run(word, rest);
    if (!error.empty()) {
        out_ << "error: " << error << '\n';
        return CommandResult::Error;
    }
    out_ << "ok\n";
    return word == "quit" ? CommandResult::Quit : CommandResult::Ok;
}

std::string ScriptCommands::run(const std::string& word, const std::string& rest) {
    if (word == "record")
        return record(rest);
    if (word == "screen")
        return printScreen(), "";
    if (word == "cells")
        return printCells(), "";
    if (word == "image")
        return printImage(), "";
    if (word == "status")
        return printStatus(), "";
    if (word == "set")
        return set(rest);
    if (word == "get")
        return get(rest);
    if (word == "sleep")
        return sleep(rest);
    if (word == "quit")
        return "";
    if (isKnownCommand(word))
        return "not available";
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
    // No session exists yet, so there are no network events to process meanwhile.
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return "";
}

}  // namespace kestrel
