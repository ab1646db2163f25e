// Reading and writing EBCDIC mapping files; see ebcdic_file.h.
#include "mapping/ebcdic_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "mapping/text_line_reader.h"

namespace kestrel {
namespace {

constexpr long kHexCap = 0x10000;  // anything above 255 is out of range anyway

bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

void skipWhiteSpace(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && isWhiteSpace(text[pos])) {
        ++pos;
    }
}

bool inByteRange(long value) {
    return value >= 0 && value <= 255;
}

}  // namespace

std::optional<long> scanHexField(std::string_view text, std::size_t& pos) {
    std::size_t at = pos;
    skipWhiteSpace(text, at);
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    if (at + 2 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X') &&
        hexDigit(text[at + 2]) >= 0) {
        at += 2;
    }
    if (at >= text.size() || hexDigit(text[at]) < 0) {
        return std::nullopt;
    }
    long value = 0;
    for (; at < text.size() && hexDigit(text[at]) >= 0; ++at) {
        value = std::min(value * 16 + hexDigit(text[at]), kHexCap);
    }
    pos = at;
    return negative && value != 0 ? -1 : value;
}

std::optional<EbcdicPair> scanEbcdicLine(std::string_view line) {
    if (line.size() < 4) {
        return std::nullopt;
    }
    const auto fifth = static_cast<unsigned char>(line.size() >= 5 ? line[4] : 0);
    if (fifth >= 33 && fifth <= 127) {
        std::size_t pos = 0;
        const auto ebcdic = scanHexField(line, pos);
        const auto ascii = ebcdic ? scanHexField(line, pos) : std::nullopt;
        if (ebcdic && ascii) {
            if (!inByteRange(*ebcdic) || !inByteRange(*ascii)) {
                return std::nullopt;
            }
            return EbcdicPair{static_cast<uint8_t>(*ebcdic), static_cast<uint8_t>(*ascii)};
        }
    }
    // The second field is the character itself.
    std::size_t pos = 0;
    const auto ebcdic = scanHexField(line, pos);
    skipWhiteSpace(line, pos);
    if (!ebcdic || pos >= line.size() || !inByteRange(*ebcdic)) {
        return std::nullopt;
    }
    return EbcdicPair{static_cast<uint8_t>(*ebcdic), static_cast<uint8_t>(line[pos])};
}

bool parseEbcdicLine(CodePageTable& table, std::string_view line) {
    const auto pair = scanEbcdicLine(line);
    if (pair) {
        table.setPair(pair->ebcdic, pair->ascii);
    }
    return pair.has_value();
}

void readEbcdicMapping(CodePageTable& table, std::istream& in) {
    TextLineReader reader(in);
    std::string line;
    while (reader.next(line)) {
        if (line.front() != '#') {
            parseEbcdicLine(table, line);
        }
    }
}

void readEbcdicMapping(CodePageTable& table, std::string_view text) {
    std::istringstream in{std::string(text)};
    readEbcdicMapping(table, in);
}

bool loadEbcdicFile(CodePageTable& table, const std::string& path, UserInterface& ui) {
    std::error_code ignored;
    std::ifstream in;
    if (!std::filesystem::is_directory(path, ignored)) {
        in.open(path, std::ios::binary);
    }
    if (!in.is_open()) {
        ui.showMessage(32807, MessageIcon::Error);
        return false;
    }
    readEbcdicMapping(table, in);
    return true;
}

std::string formatEbcdicMapping(std::span<const EbcdicPair> pairs) {
    std::string text(kEbcdicFileHeader);
    for (const EbcdicPair& pair : pairs) {
        char line[8];
        std::snprintf(line, sizeof line, "%2.2x %2.2x\n", pair.ebcdic, pair.ascii);
        text += line;
    }
    return text;
}

std::string chooseCodePage(int listPosition, const std::string& currentPath) {
    if (listPosition < 0 || listPosition >= static_cast<int>(kCodePageChoices.size())) {
        return currentPath;
    }
    const std::size_t separator = currentPath.find_last_of("/\\");
    std::string path = separator == std::string::npos ? "" : currentPath.substr(0, separator + 1);
    path += "ebcdic.";
    path += kCodePageChoices[listPosition].extension;
    return path;
}

std::string_view defaultEbcdicFileName(int primaryLanguage) {
    switch (primaryLanguage) {
        case 6:   // Danish
        case 20:  // Norwegian
            return "ebcdic.dk";
        case 7:
            return "ebcdic.ger";
        case 10:
            return "ebcdic.spa";
        case 11:  // Finnish
        case 29:  // Swedish
            return "ebcdic.fin";
        case 12:
            return "ebcdic.fr";
        case 15:
            return "ebcdic.ice";
        case 16:
            return "ebcdic.ita";
        default:
            return "ebcdic.map";
    }
}

}  // namespace kestrel
