// Replacing a file's contents so that a failed write leaves the old file intact.
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// Writes CONTENTS to a new file beside PATH and renames it over PATH. Returns
// false, with PATH untouched and no temporary file left behind, when any step
// fails. The new file gets the old one's permissions; a symbolic link at PATH is
// kept and the file it names is replaced.
bool replaceFileAtomically(const std::string& path, std::string_view contents);

}  // namespace kestrel
