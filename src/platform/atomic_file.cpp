// Atomic file replacement; see atomic_file.h.
#include "platform/atomic_file.h"

#include <cstdio>
#include <filesystem>

namespace kestrel {
namespace fs = std::filesystem;
namespace {

// Leftovers of an interrupted save may hold the first names; try a few more.
constexpr int kTemporaryNameAttempts = 32;

// Creates a new file beside TARGET; never opens an existing one ("x" mode).
std::FILE* createTemporary(const fs::path& target, fs::path& temporary) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary = target;
        temporary += ".saving" + std::to_string(attempt);
        if (std::FILE* file = std::fopen(temporary.string().c_str(), "wbx")) {
            return file;
        }
    }
    return nullptr;
}

bool writeAll(std::FILE* file, std::string_view contents) {
    const bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    const bool flushed = std::fflush(file) == 0;
    const bool closed = std::fclose(file) == 0;
    return written && flushed && closed;
}

}  // namespace

bool replaceFileAtomically(const std::string& path, std::string_view contents) {
    std::error_code error;
    fs::path target(path);
    if (fs::is_symlink(target, error)) {
        const fs::path resolved = fs::weakly_canonical(target, error);
        if (!error) {
            target = resolved;
        }
    }
    fs::path temporary;
    std::FILE* file = createTemporary(target, temporary);
    if (file == nullptr) {
        return false;
    }
    if (writeAll(file, contents)) {
        const fs::file_status old = fs::status(target, error);
        if (!error && fs::exists(old)) {
            fs::permissions(temporary, old.permissions(), error);
        }
        fs::rename(temporary, target, error);
        if (!error) {
            return true;
        }
    }
    fs::remove(temporary, error);
    return false;
}

}  // namespace kestrel
