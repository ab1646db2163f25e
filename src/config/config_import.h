// The import file config32.txt: settings an administrator places beside the
// program, copied into the store at the first start of a configuration (or at
// every start while the file says OVERWRITE), then renamed to config32.old.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "config/settings_store.h"
#include "platform/user_interface.h"

namespace kestrel {

struct ImportedSetting {
    std::string key;
    std::variant<int, std::string> value;
};

// One line of the import file: "key = value", the value a quoted string or an
// integer (decimal, 0x hexadecimal, or octal with a leading 0). Comments and
// lines that do not scan give nothing.
std::optional<ImportedSetting> parseImportLine(std::string_view line);

// True if a line of the file (outside a comment) begins with the word OVERWRITE.
bool importFileAsksToOverwrite(const std::string& path);

// Copies every valid line of DIRECTORY/config32.txt into SECTION, then replaces
// DIRECTORY/config32.old with it. Returns false when there is no file. A failed
// rename shows message 32863 for configurations whose name begins with 1.
bool importConfigFile(const std::string& directory, SettingsStore& store,
                      const std::string& section, const std::string& configurationName,
                      UserInterface& ui);

}  // namespace kestrel
