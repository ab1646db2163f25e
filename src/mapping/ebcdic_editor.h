// The EBCDIC translation editor without its window: the pairs of one mapping file
// as the dialog lists them, the edits the dialog offers, and saving them back.
//
// The dialog shows pairs() in its "EBCDIC Value:" list, the 256 asciiListText()
// lines in its "New ASCII Mapping:" list and currentMappingText() in its
// "Current ASCII Mapping:" field, and forwards the user's actions here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "mapping/code_page_table.h"
#include "mapping/ebcdic_file.h"
#include "platform/user_interface.h"

namespace kestrel {

// The editor keeps at most this many pairs; more lines of a file are not read.
inline constexpr std::size_t kMaxEditorPairs = 256;

// The pairs of a mapping file in file order, duplicates kept. Stricter than the
// table loader: a line counts only if it starts with a visible character other
// than '#' and is 4 to 59 characters long with its line end.
std::vector<EbcdicPair> readEbcdicEditorList(std::istream& in);

std::string ebcdicListText(uint8_t ebcdic);     // "0xc1"
std::string asciiListText(uint8_t ascii);       // "0x41\t[A]"
std::string currentMappingText(uint8_t ascii);  // "0x41  [A]"

class EbcdicEditor {
  public:
    EbcdicEditor(CodePageTable& table, UserInterface& ui) : table_(table), ui_(ui) {}

    // Opens the file at PATH for update and reads its pairs; the first pair is
    // selected. When it cannot be opened, shows message 32808 and returns false.
    bool open(const std::string& path);

    const std::vector<EbcdicPair>& pairs() const { return pairs_; }
    int selected() const { return selected_; }  // -1 when the list is empty
    void select(int index);
    std::string currentMappingText() const;  // empty when nothing is selected

    // Gives the selected pair the ASCII value ASCII (double-click in the right list).
    void assignAscii(uint8_t ascii);

    // Inserts (value of TEXT, 0) at CARET and selects it; the list keeps at most
    // kMaxEditorPairs, dropping the last. TEXT not hexadecimal or above ff:
    // message 32864 and false.
    bool insertPair(std::string_view text, int caret);

    // Removes the pair at CARET; nothing when CARET is not in the list.
    void deletePair(int caret);

    // Replaces the file with the header and the pairs, then loads the tables from
    // it. When the file cannot be written, shows message 32808, leaves file and
    // tables unchanged and returns false.
    bool save();

  private:
    CodePageTable& table_;
    UserInterface& ui_;
    std::string path_;
    std::vector<EbcdicPair> pairs_;
    int selected_ = -1;
};

}  // namespace kestrel
