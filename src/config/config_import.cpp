#include "config/config_import.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "mapping/text_line_reader.h"

namespace kestrel {
namespace {

constexpr int kCannotRename = 32863;

bool isBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

void skipBlanks(std::string_view text, size_t& pos) {
    while (pos < text.size() && isBlank(text[pos])) {
        ++pos;
    }
}

// A word: the run of non-blank characters at POS, after leading blanks.
std::string_view word(std::string_view text, size_t& pos) {
    skipBlanks(text, pos);
    const size_t start = pos;
    while (pos < text.size() && !isBlank(text[pos])) {
        ++pos;
    }
    return text.substr(start, pos - start);
}

// An integer at the start of TEXT in the base its prefix gives; a number that
// does not fit an int is refused rather than cut.
std::optional<int> scanInteger(std::string_view text) {
    const std::string digits(text);
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(digits.c_str(), &end, 0);
    if (end == digits.c_str() || errno == ERANGE || value < INT_MIN || value > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

}  // namespace

std::optional<ImportedSetting> parseImportLine(std::string_view line) {
    if (!line.empty() && line.front() == '#') {
        return std::nullopt;
    }
    // "%s = %s": a word, optional blanks, '=', then a word.
    size_t pos = 0;
    const std::string_view key = word(line, pos);
    if (key.empty()) {
        return std::nullopt;
    }
    skipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != '=') {
        return std::nullopt;
    }
    ++pos;
    const std::string_view value = word(line, pos);
    if (value.empty()) {
        return std::nullopt;
    }

    if (value.front() == '"') {
        // The text between the line's first double quote and the next one.
        const size_t open = line.find('"');
        const size_t close = line.find('"', open + 1);
        if (close == std::string_view::npos || close == open + 1) {
            return std::nullopt;
        }
        return ImportedSetting{std::string(key),
                               std::string(line.substr(open + 1, close - open - 1))};
    }
    const auto number = scanInteger(value);
    if (!number) {
        return std::nullopt;
    }
    return ImportedSetting{std::string(key), *number};
}

bool importFileAsksToOverwrite(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    TextLineReader reader(file);
    std::string line;
    while (reader.next(line)) {
        if (line.rfind("OVERWRITE", 0) == 0 &&
            (line.size() == 9 || isBlank(line[9]) || line[9] == '=')) {
            return true;
        }
    }
    return false;
}

bool importConfigFile(const std::string& directory, SettingsStore& store,
                      const std::string& section, const std::string& configurationName,
                      UserInterface& ui) {
    namespace fs = std::filesystem;
    const fs::path source = fs::path(directory) / "config32.txt";
    std::ifstream file(source, std::ios::binary);
    std::error_code error;
    if (!file || !fs::is_regular_file(source, error)) {
        return false;
    }
    TextLineReader reader(file);
    std::string line;
    while (reader.next(line)) {
        const auto setting = parseImportLine(line);
        if (!setting) {
            continue;
        }
        if (const int* number = std::get_if<int>(&setting->value)) {
            store.writeInt(section, setting->key, *number);
        } else {
            store.writeString(section, setting->key, std::get<std::string>(setting->value));
        }
    }
    file.close();

    const fs::path old = fs::path(directory) / "config32.old";
    fs::remove(old, error);
    fs::rename(source, old, error);
    if (error && configurationName.starts_with('1')) {
        ui.showMessage(kCannotRename, MessageIcon::Warning);
    }
    return true;
}

}  // namespace kestrel
