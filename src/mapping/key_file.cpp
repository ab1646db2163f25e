// Reading keyboard mapping files; see key_file.h.
#include "mapping/key_file.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "mapping/key_names.h"
#include "platform/messages.h"

namespace kestrel {
namespace {

constexpr int kCannotOpen = 32837;
constexpr int kSyntaxError = 32848;

// The lowest and highest first character of a considered line.
constexpr unsigned char kFirstConsidered = 'A';
constexpr unsigned char kLastConsidered = 127;

bool isWordSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The next word of TEXT from POS on, skipping separators before it; empty at the end.
std::string_view nextWord(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && isWordSeparator(text[pos])) {
        ++pos;
    }
    const std::size_t start = pos;
    while (pos < text.size() && !isWordSeparator(text[pos])) {
        ++pos;
    }
    return text.substr(start, pos - start);
}

}  // namespace

bool KeyFileLineReader::next(std::string& line) {
    // A piece that does not end a line is followed by the rest of that line.
    bool continuation = !piece_.empty() && piece_.back() != '\n';
    while (pieces_.next(piece_)) {
        if (continuation) {
            continuation = piece_.back() != '\n';
            continue;
        }
        line = piece_;
        if (line.size() >= 2 && line[line.size() - 2] == '\r' && line.back() == '\n') {
            line.erase(line.size() - 2, 1);
        }
        if (const std::size_t nul = line.find('\0'); nul != std::string::npos) {
            line.resize(nul);
        }
        return true;
    }
    piece_.clear();
    return false;
}

KeyLineResult applyKeyLine(KeyBindingTable& table, std::string_view line) {
    if (line.empty() || line.size() > kMaxKeyFileLine) {
        return KeyLineResult::Skipped;
    }
    const auto first = static_cast<unsigned char>(line.front());
    if (first < kFirstConsidered || first > kLastConsidered) {
        return KeyLineResult::Skipped;
    }
    std::size_t pos = 0;
    const std::string_view keyWord = nextWord(line, pos);
    const std::string_view functionWord = nextWord(line, pos);
    const PcKey* key = findPcKey(keyWord);
    if (functionWord.empty() || key == nullptr) {
        return KeyLineResult::SyntaxError;
    }
    const HostFunction* function = findHostFunction(functionWord);
    table.bind(key->code, function == nullptr ? kKeyNoFunction : function->code);
    table.listing().add(keyWord, functionWord);
    return KeyLineResult::Bound;
}

std::string keySyntaxErrorText(std::string_view line) {
    std::string text = messageText(kSyntaxError);
    const std::size_t placeholder = text.find("%1");
    if (placeholder != std::string::npos) {
        text.replace(placeholder, 2, line);
    }
    return text;
}

void readKeyMapping(KeyBindingTable& table, std::istream& in, UserInterface& ui) {
    KeyFileLineReader reader(in);
    std::string line;
    while (reader.next(line)) {
        if (applyKeyLine(table, line) == KeyLineResult::SyntaxError) {
            ui.showText(keySyntaxErrorText(line), MessageIcon::Warning);
        }
    }
}

void readKeyMapping(KeyBindingTable& table, std::string_view text, UserInterface& ui) {
    std::istringstream in{std::string(text)};
    readKeyMapping(table, in, ui);
}

bool loadKeyFile(KeyBindingTable& table, const std::string& path, UserInterface& ui) {
    std::error_code ignored;
    std::ifstream in;
    // A directory opens as a stream on some systems but is no mapping file.
    if (!std::filesystem::is_directory(path, ignored)) {
        in.open(path, std::ios::binary);
    }
    if (!in.is_open()) {
        ui.showMessage(kCannotOpen, MessageIcon::Error);
        return false;
    }
    readKeyMapping(table, in, ui);
    return true;
}

}  // namespace kestrel
