// Feeds arbitrary bytes as an EBCDIC mapping file to the table loader and to the
// editor's list reader; what the editor lists must read back the same once written.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "mapping/ebcdic_editor.h"
#include "mapping/ebcdic_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    kestrel::CodePageTable table;
    kestrel::readEbcdicMapping(table, text);

    std::istringstream in(text);
    const auto pairs = kestrel::readEbcdicEditorList(in);
    std::istringstream written(kestrel::formatEbcdicMapping(pairs));
    if (kestrel::readEbcdicEditorList(written) != pairs) {
        std::abort();
    }
    return 0;
}
