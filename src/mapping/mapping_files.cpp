// Loading the mapping files and the mapping-files dialog's logic; see mapping_files.h.
#include "mapping/mapping_files.h"

#include "mapping/ebcdic_file.h"
#include "mapping/key_file.h"

namespace kestrel {

bool loadMappingFiles(const Settings& settings, KeyBindingTable& table, CodePageTable& codePage,
                      UserInterface& ui) {
    const bool keys = loadKeyFile(table, settings.keyname, ui);
    const bool ebcdic = loadEbcdicFile(codePage, settings.ebcdic_id, ui);
    return keys && ebcdic;
}

void MappingFilesForm::selectCodePage(int listPosition) {
    if (listPosition < 0 || listPosition >= static_cast<int>(kCodePageChoices.size())) {
        return;
    }
    names.ebcdicId = chooseCodePage(listPosition, codePageBase_);
    codePageBase_ = names.ebcdicId;
}

void applyMappingFiles(Settings& settings, const MappingFileNames& names, KeyBindingTable& table,
                       CodePageTable& codePage, UserInterface& ui) {
    settings.keyname = names.keyname;
    settings.ebcdic_id = names.ebcdicId;
    settings.recordcatalog = names.recordCatalog;
    clearKeyBindings(table);
    loadMappingFiles(settings, table, codePage, ui);
}

}  // namespace kestrel
