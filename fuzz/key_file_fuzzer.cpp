// Feeds arbitrary bytes as a keyboard mapping file to the loader and to the layout
// editor's list reader; a file the editor writes must read back to the same file.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "mapping/key_file.h"
#include "mapping/key_layout_editor.h"
#include "platform/silent_ui.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 65536) {
        return 0;  // the work is linear; longer inputs only slow the search down
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    kestrel::KeyBindingTable table;
    kestrel::SilentUi ui;
    kestrel::readKeyMapping(table, text, ui);
    if (table.listing().size() > kestrel::KeyMappingListing::kCapacity) {
        std::abort();
    }

    std::istringstream in(text);
    const std::string written = kestrel::formatKeyLayout(kestrel::readKeyLayoutList(in));
    std::istringstream again(written);
    if (kestrel::formatKeyLayout(kestrel::readKeyLayoutList(again)) != written) {
        std::abort();
    }
    return 0;
}
