// Loading the two mapping files, and the mapping-files dialog ("Select names of
// mapping files") without its window.
//
// The keyboard file is always loaded before the EBCDIC file, so that when both
// are missing the user sees the keyboard message first.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "mapping/code_page_table.h"
#include "mapping/key_binding_table.h"
#include "platform/user_interface.h"

namespace kestrel {

// Loads the keyboard file named by the keyname setting into TABLE, then the
// EBCDIC file named by ebcdic_id into CODE_PAGE, each over its current contents
// and each with its own message when it cannot be opened. True when both loaded.
bool loadMappingFiles(const Settings& settings, KeyBindingTable& table, CodePageTable& codePage,
                      UserInterface& ui);

// The dialog's own texts.
namespace mapping_files_text {
inline constexpr std::string_view kTitle = "Select names of mapping files";
inline constexpr std::string_view kKeyFile = "Mapping file for Function keys:";
inline constexpr std::string_view kEbcdicFile = "Mapping file for EBCDIC <-> ASCII ";
inline constexpr std::string_view kCodePageArrow = "<----";
inline constexpr std::string_view kRecordDirectory = "Directory for record files:";
}  // namespace mapping_files_text

// Each of the dialog's three fields takes at most this many characters.
inline constexpr std::size_t kMappingFieldMaxLength = 80;

// The dialog's three fields.
struct MappingFileNames {
    std::string keyname;
    std::string ebcdicId;
    std::string recordCatalog;
};

// The fields of the dialog, copied from the settings when it opens, with the
// code-page list's effect on the EBCDIC field.
class MappingFilesForm {
  public:
    explicit MappingFilesForm(const Settings& settings)
        : names{settings.keyname, settings.ebcdic_id, settings.recordcatalog},
          codePageBase_(settings.ebcdic_id) {}

    // Entry LIST_POSITION of kCodePageChoices was selected: the EBCDIC field
    // becomes that file in the directory of the path the field held when the
    // dialog opened or at the previous selection (edits typed in between do not
    // move the directory). A position outside the list changes nothing.
    void selectCodePage(int listPosition);

    MappingFileNames names;

  private:
    std::string codePageBase_;
};

// OK in the dialog: stores NAMES into keyname, ebcdic_id and recordcatalog,
// clears the key bindings and loads both files again (loadMappingFiles). Redrawing
// the screen is the caller's.
void applyMappingFiles(Settings& settings, const MappingFileNames& names, KeyBindingTable& table,
                       CodePageTable& codePage, UserInterface& ui);

}  // namespace kestrel
