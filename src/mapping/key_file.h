// Keyboard mapping files: the reader that fills a KeyBindingTable from the
// binding lines "<PcKey name> <HostFunction name>".
//
// A line is considered only when it starts with a character of code 65-127 (so
// '#' comments, blank lines and lines starting with a digit, blank or most
// punctuation are skipped) and is at most 60 characters long with its line end.
// A considered line that does not give two words, or whose first word is not a
// key name, is reported with message 32848 and skipped. An unknown function word,
// such as the "-" the editor writes, binds the key to no function. Later lines
// win over earlier ones for the same key.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>

#include "mapping/key_binding_table.h"
#include "mapping/text_line_reader.h"
#include "platform/user_interface.h"

namespace kestrel {

inline constexpr std::string_view kKeyFileHeader = "# TN3270 keyboard mapping file\n";

// The longest line, counted with its line end, that the reader considers.
inline constexpr std::size_t kMaxKeyFileLine = 60;

// The lines of a mapping file as its readers see them. Lines are read in pieces
// of at most 79 characters; of a longer line only the first piece is returned
// (too long to be considered), so its tail is never taken for a line of its own.
// A CR before the line end is dropped, as the line end of a file written on
// Windows, and a line ends at a NUL byte for all purposes.
class KeyFileLineReader {
  public:
    explicit KeyFileLineReader(std::istream& in) : pieces_(in) {}

    // The next line with its line end, if it has one; false at the end.
    bool next(std::string& line);

  private:
    TextLineReader pieces_;
    std::string piece_;
};

enum class KeyLineResult {
    Skipped,      // not considered: comment, blank, overlong, wrong first character
    Bound,        // the key's entry was set and a listing line added
    SyntaxError,  // fewer than two words, or no such key
};

// Applies one line of a mapping file, LINE including its line end, to TABLE.
KeyLineResult applyKeyLine(KeyBindingTable& table, std::string_view line);

// The text of message 32848 for LINE.
std::string keySyntaxErrorText(std::string_view line);

// Applies every line of a mapping file to TABLE, showing message 32848 once for
// each line with a syntax error.
void readKeyMapping(KeyBindingTable& table, std::istream& in, UserInterface& ui);
void readKeyMapping(KeyBindingTable& table, std::string_view text, UserInterface& ui);

// Loads the mapping file at PATH into TABLE over its current bindings. When the
// file cannot be opened, shows message 32837, leaves TABLE unchanged and returns
// false.
bool loadKeyFile(KeyBindingTable& table, const std::string& path, UserInterface& ui);

}  // namespace kestrel
