// Where the supplied files (mapping files, key map, sample import file) live.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/user_interface.h"

namespace kestrel {

// The installed data directories, in the order they are searched: share/kestrel
// beside the executable's directory, the installation's data directory, and the
// source tree's data directory (for a program run from its build tree).
std::vector<std::string> installedDataDirectories(const std::string& executablePath);

// The first installed data directory that holds FILE, or empty.
std::string findDataDirectory(const std::string& executablePath, const std::string& file);

// The search made when a configuration is first set up: the directory holding
// tnkeys.map becomes the current directory — the current one if it holds the
// file, else MACHINEDIR, else the first of INSTALLED that does. Returns false,
// after telling the user that files are missing, when none holds it.
bool searchDataDirectory(const std::optional<std::string>& machineDir,
                         const std::vector<std::string>& installed, UserInterface& ui);

}  // namespace kestrel
