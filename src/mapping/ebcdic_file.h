// EBCDIC mapping files: the line format, the reader that fills a CodePageTable,
// the writer, and the choice among the supplied national files.
//
// A mapping line is a hexadecimal EBCDIC value, a space, and either a hexadecimal
// ASCII value ("c1 41") or the ASCII character itself ("c1 A"). Lines starting with
// '#' are comments. Lines that do not scan are skipped without a message.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "mapping/code_page_table.h"
#include "platform/user_interface.h"

namespace kestrel {

struct EbcdicPair {
    uint8_t ebcdic;
    uint8_t ascii;
    bool operator==(const EbcdicPair&) const = default;
};

inline constexpr std::string_view kEbcdicFileHeader = "# TN3270 ebcdic mapping file\n";

// Reads a hexadecimal number from TEXT at POS the way scanf's "%x" does: leading
// white space, an optional sign and "0x", then digits in either case. Advances POS
// past the number. A negative number comes back as -1 and a huge one is capped, so
// a caller only has to check the range 0-255.
std::optional<long> scanHexField(std::string_view text, std::size_t& pos);

// The pair named by one line of a mapping file, LINE including its line end.
// The second field is read as a hexadecimal number only when the fifth character
// of the line is a visible character (code 33-127) and two numbers scan; otherwise
// it is the first character after the white space. Lines shorter than 4
// characters, without both fields, or with a value above 255 give nothing.
std::optional<EbcdicPair> scanEbcdicLine(std::string_view line);

// Applies one line to TABLE (both directions); false when the line names no pair.
bool parseEbcdicLine(CodePageTable& table, std::string_view line);

// Applies every non-comment line of a mapping file to TABLE. Entries that the
// file does not name keep their values; a later line wins over an earlier one.
void readEbcdicMapping(CodePageTable& table, std::istream& in);
void readEbcdicMapping(CodePageTable& table, std::string_view text);

// Loads the mapping file at PATH into TABLE. When it cannot be opened, shows
// message 32807, leaves TABLE unchanged and returns false.
bool loadEbcdicFile(CodePageTable& table, const std::string& path, UserInterface& ui);

// The text of a mapping file holding PAIRS in order: the header, then one
// "%2.2x %2.2x" line per pair.
std::string formatEbcdicMapping(std::span<const EbcdicPair> pairs);

// One entry of the national code-page list of the mapping-files dialog.
struct CodePageChoice {
    std::string_view name;       // as shown in the list
    std::string_view extension;  // of the file "ebcdic.<extension>"
};

inline constexpr std::array<CodePageChoice, 13> kCodePageChoices = {{
    {"US (037)", "map"},
    {"Italy (280)", "ita"},
    {"Austria/Germany (273)", "ger"},
    {"Spain (284)", "spa"},
    {"French (297)", "fr"},
    {"United Kingdom (285)", "uk"},
    {"Finland/Sweden (278)", "fin"},
    {"Danish/Norway (277)", "dk"},
    {"Iceland (871)", "ice"},
    {"Russian (1025)", "rus"},
    {"EastEurope (870)", "cz"},
    {"Greek (875)", "grk"},
    {"Turkish (1026)", "tur"},
}};

// The mapping-file path after choosing entry LIST_POSITION of kCodePageChoices:
// the directory of CURRENT_PATH (up to its last '/' or '\', which stored paths
// from Windows use) followed by "ebcdic.<extension>". A position outside the list,
// such as -1 for no selection, leaves the path unchanged.
std::string chooseCodePage(int listPosition, const std::string& currentPath);

// The supplied file for a Windows primary language identifier (the low 10 bits
// of a language identifier), used when no mapping file has been chosen yet.
std::string_view defaultEbcdicFileName(int primaryLanguage);

}  // namespace kestrel
