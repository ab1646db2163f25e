// The keyboard layout editor's file logic; see key_layout_editor.h.
#include "mapping/key_layout_editor.h"

#include <fstream>

#include "mapping/key_file.h"
#include "mapping/key_names.h"
#include "platform/atomic_file.h"

namespace kestrel {
namespace {

constexpr int kCannotOpen = 32837;

// The same blanks the loader separates words with, so that every line the
// loader binds gives an entry here.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

bool isVisible(unsigned char c) {
    return c >= 33;
}

// The function of an entry from REST, the text after the key word and its blanks.
// A text longer than the dialog shows is cut to what the loader reads from it, the
// first word if that names a function and no function otherwise, so that the
// saved line binds the same and stays within the line limit.
std::string layoutFunction(const std::string& rest) {
    if (rest.front() == '-') {
        return std::string(kUnusedFunction);
    }
    if (rest.size() <= kMaxKeyLayoutWord) {
        return rest;
    }
    std::size_t end = 0;
    while (end < rest.size() && !isBlank(rest[end])) {
        ++end;
    }
    const std::string word = rest.substr(0, end);
    return findHostFunction(word) != nullptr ? word : std::string(kUnusedFunction);
}

}  // namespace

std::vector<KeyLayoutEntry> readKeyLayoutList(std::istream& in) {
    std::vector<KeyLayoutEntry> entries;
    KeyFileLineReader reader(in);
    std::string line;
    while (entries.size() < kMaxKeyLayoutEntries && reader.next(line)) {
        if (line.empty() || line.size() > kMaxKeyFileLine ||
            !isVisible(static_cast<unsigned char>(line.front())) || line.front() == '#') {
            continue;
        }
        if (line.back() == '\n') {
            line.pop_back();
        }
        std::size_t pos = 0;
        while (pos < line.size() && !isBlank(line[pos])) {
            ++pos;
        }
        const std::size_t keyEnd = pos;
        while (pos < line.size() && isBlank(line[pos])) {
            ++pos;
        }
        if (keyEnd == line.size() || pos == line.size() || keyEnd > kMaxKeyLayoutWord) {
            continue;
        }
        // Trailing blanks mean nothing to the loader; dropping them keeps a saved
        // file reading back the same.
        while (isBlank(line.back())) {
            line.pop_back();
        }
        entries.push_back({line.substr(0, keyEnd), layoutFunction(line.substr(pos))});
    }
    return entries;
}

std::string formatKeyLayout(std::span<const KeyLayoutEntry> entries) {
    std::string text(kKeyFileHeader);
    for (const KeyLayoutEntry& entry : entries) {
        text += entry.key;
        text += ' ';
        text += entry.function.starts_with(kUnusedFunction) ? std::string("-") : entry.function;
        text += '\n';
    }
    return text;
}

bool KeyLayoutEditor::open() {
    // Opened for update, as a file the editor could not save is no use to edit.
    std::fstream file(settings_.keyname, std::ios::in | std::ios::out | std::ios::binary);
    if (!file.is_open()) {
        ui_.showMessage(kCannotOpen, MessageIcon::Error);
        return false;
    }
    path_ = settings_.keyname;
    entries_ = readKeyLayoutList(file);
    selected_ = entries_.empty() ? -1 : 0;
    numPoint = settings_.num_point != 0;
    noCheck = settings_.nocheck != 0;
    shiftArrow = settings_.shift_arrow != 0;
    return true;
}

std::vector<std::string> KeyLayoutEditor::keyListTexts() const {
    std::vector<std::string> texts;
    texts.reserve(entries_.size());
    for (const KeyLayoutEntry& entry : entries_) {
        texts.emplace_back(keyDisplayName(entry.key));
    }
    return texts;
}

void KeyLayoutEditor::select(int index) {
    if (index >= 0 && index < static_cast<int>(entries_.size())) {
        selected_ = index;
    }
}

std::string KeyLayoutEditor::currentFunction() const {
    return selected_ < 0 ? std::string() : entries_[selected_].function;
}

void KeyLayoutEditor::assignFunction(int functionIndex) {
    if (selected_ >= 0 && functionIndex >= 0 && functionIndex < kHostFunctionCount) {
        entries_[selected_].function = kHostFunctions[functionIndex].name;
    }
}

bool KeyLayoutEditor::save() {
    settings_.num_point = numPoint ? 1 : 0;
    settings_.nocheck = noCheck ? 1 : 0;
    settings_.shift_arrow = shiftArrow ? 1 : 0;
    if (path_.empty() || !replaceFileAtomically(path_, formatKeyLayout(entries_))) {
        ui_.showMessage(kCannotOpen, MessageIcon::Error);
        return false;
    }
    clearKeyBindings(table_);
    loadKeyFile(table_, path_, ui_);
    return true;
}

}  // namespace kestrel
