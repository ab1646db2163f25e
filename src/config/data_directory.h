// Where the supplied files (mapping files, key map, sample import file) live.
#pragma once

#include <string>

namespace kestrel {

// The first directory that holds FILE among: share/kestrel beside the
// executable's directory, the installed data directory, and the source tree's
// data directory (for a program run from its build tree). Empty if none does.
std::string findDataDirectory(const std::string& executablePath, const std::string& file);

}  // namespace kestrel
