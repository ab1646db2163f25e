#include "config/settings_defaults.h"

#include <filesystem>
#include <utility>

#include "mapping/ebcdic_file.h"

namespace kestrel {

int primaryLanguageFromIso(std::string_view isoCode) {
    static constexpr std::pair<std::string_view, int> kLanguages[] = {
        {"da", language::Danish},    {"de", language::German},    {"es", language::Spanish},
        {"fi", language::Finnish},   {"fr", language::French},    {"is", language::Icelandic},
        {"it", language::Italian},   {"nb", language::Norwegian}, {"nn", language::Norwegian},
        {"no", language::Norwegian}, {"sv", language::Swedish},
    };
    const std::string_view code = isoCode.substr(0, isoCode.find_first_of("_-.@"));
    for (const auto& [iso, id] : kLanguages) {
        if (code == iso) {
            return id;
        }
    }
    return language::English;
}

void applyMachineDefaults(Settings& settings, int primaryLanguage, const std::string& cwd) {
    const std::string directory = cwd + char(std::filesystem::path::preferred_separator);
    // Danish keyboards give ',' on the keypad's decimal key already.
    settings.num_point = primaryLanguage == language::Danish ? 0 : 1;
    settings.host_name.clear();
    settings.ebcdic_id = directory + std::string(defaultEbcdicFileName(primaryLanguage));
    settings.keyname = directory + "tnkeys.map";
    settings.logname = directory + "logfile";
}

std::string_view directoryPart(std::string_view path) {
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string_view::npos ? std::string_view() : path.substr(0, separator);
}

}  // namespace kestrel
