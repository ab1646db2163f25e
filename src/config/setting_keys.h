// The keys of the settings store: one entry per field of Settings, with its
// name, its type and the field it names, in the order in which the settings
// are read. Also the text form of a setting, for commands that set and show
// settings by name.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/settings.h"

namespace kestrel {

enum class SettingType { Integer, String };

// Exactly one of the two members is set, the one that matches the type.
struct SettingKey {
    std::string_view name;
    SettingType type;
    int Settings::*integer;
    std::string Settings::*string;
};

// Every key, in the order of the configuration table. The per-slot toolbar
// keys are not in it: they belong to the toolbar.
std::span<const SettingKey> settingKeys();

// The entry of KEY (case-sensitive), or nullptr.
const SettingKey* findSetting(std::string_view key);

enum class SettingStatus { Ok, UnknownKey, BadNumber };

// Sets KEY from TEXT. A string takes TEXT as given. An integer takes a decimal
// number with an optional leading minus, or 0x/0X followed by hexadecimal
// digits; blanks around the number are allowed, anything else, and any value
// outside the range of int, gives BadNumber and leaves the setting unchanged.
SettingStatus setSettingFromText(Settings& settings, std::string_view key, std::string_view text);

// The value of KEY as text: an integer in decimal, a string as stored;
// nothing for an unknown key.
std::optional<std::string> settingAsText(const Settings& settings, std::string_view key);

}  // namespace kestrel
