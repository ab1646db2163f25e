#include "config/data_directory.h"

#include <filesystem>
#include <system_error>

namespace kestrel {

std::string findDataDirectory(const std::string& executablePath, const std::string& file) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path executable = fs::weakly_canonical(executablePath, error);
    const fs::path candidates[] = {
        executable.parent_path().parent_path() / "share" / "kestrel",
        KESTREL_INSTALL_DATA_DIR,
        KESTREL_SOURCE_DATA_DIR,
    };
    for (const fs::path& directory : candidates) {
        if (fs::is_regular_file(directory / file, error)) {
            return directory.string();
        }
    }
    return {};
}

}  // namespace kestrel
