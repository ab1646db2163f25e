#include "config/data_directory.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kKeyFile = "tnkeys.map";

bool holds(const fs::path& directory, const std::string& file) {
    std::error_code error;
    return fs::is_regular_file(directory / file, error);
}

}  // namespace

std::vector<std::string> installedDataDirectories(const std::string& executablePath) {
    std::error_code error;
    const fs::path executable = fs::weakly_canonical(executablePath, error);
    return {
        (executable.parent_path().parent_path() / "share" / "kestrel").string(),
        KESTREL_INSTALL_DATA_DIR,
        KESTREL_SOURCE_DATA_DIR,
    };
}

std::string findDataDirectory(const std::string& executablePath, const std::string& file) {
    for (const std::string& directory : installedDataDirectories(executablePath)) {
        if (holds(directory, file)) {
            return directory;
        }
    }
    return {};
}

bool searchDataDirectory(const std::optional<std::string>& machineDir,
                         const std::vector<std::string>& installed, UserInterface& ui) {
    std::error_code error;
    if (holds(fs::current_path(error), kKeyFile)) {
        return true;
    }
    std::vector<std::string> candidates;
    if (machineDir && machineDir->size() > 2) {
        candidates.push_back(*machineDir);
    }
    candidates.insert(candidates.end(), installed.begin(), installed.end());
    for (const std::string& directory : candidates) {
        if (holds(directory, kKeyFile)) {
            fs::current_path(directory, error);
            if (!error) {
                return true;
            }
        }
    }
    ui.showText("Looks as many files are missing. Please re-install lyrn w32 tn3270",
                MessageIcon::Error);
    return false;
}

}  // namespace kestrel
