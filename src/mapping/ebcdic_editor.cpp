// The EBCDIC translation editor's file logic; see ebcdic_editor.h.
#include "mapping/ebcdic_editor.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "mapping/text_line_reader.h"
#include "platform/atomic_file.h"

namespace kestrel {
namespace {

constexpr std::size_t kMinLine = 4;
constexpr std::size_t kMaxLine = 59;

// Control characters and the blank show as a blank inside the brackets.
char shownCharacter(uint8_t ascii) {
    return ascii <= 32 ? ' ' : static_cast<char>(ascii);
}

std::string hexWithCharacter(const char* format, uint8_t ascii) {
    char text[16];
    std::snprintf(text, sizeof text, format, ascii, shownCharacter(ascii));
    return text;
}

}  // namespace

std::vector<EbcdicPair> readEbcdicEditorList(std::istream& in) {
    std::vector<EbcdicPair> pairs;
    TextLineReader reader(in);
    std::string line;
    while (pairs.size() < kMaxEditorPairs && reader.next(line)) {
        const auto first = static_cast<unsigned char>(line.front());
        if (first < 33 || first == '#' || line.size() < kMinLine || line.size() > kMaxLine) {
            continue;
        }
        if (const auto pair = scanEbcdicLine(line)) {
            pairs.push_back(*pair);
        }
    }
    return pairs;
}

std::string ebcdicListText(uint8_t ebcdic) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%x", ebcdic);
    return text;
}

std::string asciiListText(uint8_t ascii) {
    return hexWithCharacter("0x%x\t[%c]", ascii);
}

std::string currentMappingText(uint8_t ascii) {
    return hexWithCharacter("0x%x  [%c]", ascii);
}

bool EbcdicEditor::open(const std::string& path) {
    // Opened for update, as a file the editor could not save is no use to edit.
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    if (!file.is_open()) {
        ui_.showMessage(32808, MessageIcon::Error);
        return false;
    }
    path_ = path;
    pairs_ = readEbcdicEditorList(file);
    selected_ = pairs_.empty() ? -1 : 0;
    return true;
}

void EbcdicEditor::select(int index) {
    if (index >= 0 && index < static_cast<int>(pairs_.size())) {
        selected_ = index;
    }
}

std::string EbcdicEditor::currentMappingText() const {
    return selected_ < 0 ? std::string() : kestrel::currentMappingText(pairs_[selected_].ascii);
}

void EbcdicEditor::assignAscii(uint8_t ascii) {
    if (selected_ >= 0) {
        pairs_[selected_].ascii = ascii;
    }
}

bool EbcdicEditor::insertPair(std::string_view text, int caret) {
    std::size_t pos = 0;
    const auto value = scanHexField(text, pos);
    if (!value || *value < 0 || *value > 255) {
        ui_.showMessage(32864, MessageIcon::Error);
        return false;
    }
    const int at = std::clamp(caret, 0, static_cast<int>(pairs_.size()));
    if (at >= static_cast<int>(kMaxEditorPairs)) {
        return true;  // pushed past the last place at once
    }
    pairs_.insert(pairs_.begin() + at, EbcdicPair{static_cast<uint8_t>(*value), 0});
    if (pairs_.size() > kMaxEditorPairs) {
        pairs_.pop_back();
    }
    selected_ = at;
    return true;
}

void EbcdicEditor::deletePair(int caret) {
    if (caret < 0 || caret >= static_cast<int>(pairs_.size())) {
        return;
    }
    pairs_.erase(pairs_.begin() + caret);
    selected_ = std::min(selected_, static_cast<int>(pairs_.size()) - 1);
}

bool EbcdicEditor::save() {
    if (path_.empty() || !replaceFileAtomically(path_, formatEbcdicMapping(pairs_))) {
        ui_.showMessage(32808, MessageIcon::Error);
        return false;
    }
    loadEbcdicFile(table_, path_, ui_);
    return true;
}

}  // namespace kestrel
