// The keyboard layout editor ("Define Keyboard Layout") without its window: the
// entries of the mapping file as the dialog lists them, rebinding a key, the three
// keyboard options, and saving the file back.
//
// The dialog shows keyListTexts() under "PC Keys:", currentFunction() in the
// read-only "Current 3270 Function:" field and the names of kHostFunctions, in
// order, under "New 3270 Function:", and forwards the user's actions here. Keys
// cannot be added or removed: only keys present in the file can be rebound.
#pragma once

#include <cstddef>
#include <istream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"
#include "mapping/key_binding_table.h"
#include "platform/user_interface.h"

namespace kestrel {

// The dialog's own texts.
namespace key_layout_text {
inline constexpr std::string_view kTitle = "Define Keyboard Layout";
inline constexpr std::string_view kKeys = "PC Keys:";
inline constexpr std::string_view kCurrentFunction = "Current 3270 Function:";
inline constexpr std::string_view kNewFunction = "New 3270 Function:";
inline constexpr std::string_view kNumPoint = "NumLock Del key swap between \".\" and \",\"";
inline constexpr std::string_view kNoCheck = "Ignore field attributes check.";
inline constexpr std::string_view kShiftArrow = "Shift arrow as select (for copy to clipboard)";
inline constexpr std::string_view kSave = "Save to File";
inline constexpr std::string_view kAbort = "Abort";
inline constexpr std::string_view kHelp = "Help";
}  // namespace key_layout_text

// One binding line as the editor holds it. A key without a function ("-" in the
// file) has the function "unused".
struct KeyLayoutEntry {
    std::string key;
    std::string function;
    bool operator==(const KeyLayoutEntry&) const = default;
};

inline constexpr std::size_t kMaxKeyLayoutEntries = 100;
inline constexpr std::size_t kMaxKeyLayoutWord = 19;
inline constexpr std::string_view kUnusedFunction = "unused";

// The entries of a mapping file in file order, at most kMaxKeyLayoutEntries. A
// line gives an entry when it starts with a visible character other than '#', is
// at most 60 characters long with its line end, and has a key word of at most 19
// characters followed by blanks and a function: "-..." for none, otherwise the
// rest of the line without its trailing blanks. A rest longer than 19 characters
// becomes the function its first word names, or none. Every line the loader binds
// thus gives an entry that, once saved, binds the same.
std::vector<KeyLayoutEntry> readKeyLayoutList(std::istream& in);

// The text of a mapping file holding ENTRIES in order: the header, then "%s %s\n"
// per entry, with "-" for a function that begins with "unused".
std::string formatKeyLayout(std::span<const KeyLayoutEntry> entries);

class KeyLayoutEditor {
  public:
    KeyLayoutEditor(Settings& settings, KeyBindingTable& table, UserInterface& ui)
        : settings_(settings), table_(table), ui_(ui) {}

    // Opens the file named by the keyname setting for update, reads its entries
    // and copies the three options from the settings; the first entry is
    // selected. When the file cannot be opened, shows message 32837 and returns
    // false.
    bool open();

    const std::vector<KeyLayoutEntry>& entries() const { return entries_; }
    // The "PC Keys:" list: each entry's key by its display name.
    std::vector<std::string> keyListTexts() const;

    int selected() const { return selected_; }  // -1 when the list is empty
    void select(int index);
    std::string currentFunction() const;  // empty when nothing is selected

    // Binds the selected key to entry FUNCTION_INDEX of kHostFunctions
    // (double-click in the "New 3270 Function:" list).
    void assignFunction(int functionIndex);

    // The check boxes.
    bool numPoint = false;    // NumLock Del key swap between "." and ","
    bool noCheck = false;     // Ignore field attributes check.
    bool shiftArrow = false;  // Shift arrow as select

    // Stores the check boxes into the settings, replaces the file with the header
    // and the entries, then reloads the key bindings from it. When the file
    // cannot be written, shows message 32837, leaves the file and the bindings
    // unchanged (the options stay stored) and returns false.
    bool save();

  private:
    Settings& settings_;
    KeyBindingTable& table_;
    UserInterface& ui_;
    std::string path_;
    std::vector<KeyLayoutEntry> entries_;
    int selected_ = -1;
};

}  // namespace kestrel
