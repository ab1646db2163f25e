// Arbitrary bytes as an import file: every piece the reader yields goes
// through the line scanner.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "config/config_import.h"
#include "mapping/text_line_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    kestrel::TextLineReader reader(in);
    std::string line;
    while (reader.next(line)) {
        if (const auto setting = kestrel::parseImportLine(line)) {
            if (setting->key.empty() || setting->key.size() > line.size()) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
