// The defaults that depend on the machine: the user's language and the
// directory the program starts in.
#pragma once

#include <string>
#include <string_view>

#include "config/settings.h"

namespace kestrel {

// Windows primary language identifiers, the numbers stored files and defaults use.
namespace language {
constexpr int Danish = 6;
constexpr int German = 7;
constexpr int English = 9;
constexpr int Spanish = 10;
constexpr int Finnish = 11;
constexpr int French = 12;
constexpr int Icelandic = 15;
constexpr int Italian = 16;
constexpr int Norwegian = 20;
constexpr int Swedish = 29;
}  // namespace language

// The primary language identifier of an ISO 639 language code ("da", "de_DE",
// "nb", ...); English for codes without a national code page.
int primaryLanguageFromIso(std::string_view isoCode);

// Fills the defaults formed from LANGUAGE and the directory CWD: num_point,
// host_name, ebcdic_id, keyname and logname.
void applyMachineDefaults(Settings& settings, int primaryLanguage, const std::string& cwd);

// The directory part of PATH without its final separator (either '/' or '\'),
// or nothing when PATH has no separator.
std::string_view directoryPart(std::string_view path);

}  // namespace kestrel
