// Arbitrary bytes as a command line: the input split at NUL bytes gives the
// arguments. Checks that parsing never fails and its results hold together.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> arguments(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.emplace_back();
        } else {
            arguments.back().push_back(static_cast<char>(data[i]));
        }
    }
    const kestrel::ParsedCommandLine parsed = kestrel::parseCommandLine(arguments);
    const kestrel::CommandLineSettings settings = parsed.toSettings();
    // Every argument is either consumed or passed on, never both invented.
    if (parsed.otherArguments.size() > arguments.size()) {
        __builtin_trap();
    }
    if (settings.host && settings.host->empty()) {
        __builtin_trap();
    }
    if (settings.port) {
        const long port = std::stol(*settings.port);
        if (port < 1 || port > 65535) {
            __builtin_trap();
        }
    }
    if (const auto title = parsed.documentTitle()) {
        if (title->empty() || title->size() > 4 * kestrel::kSessionTitleLimit) {
            __builtin_trap();
        }
    }
    return 0;
}
