// The table of setting keys and the text form of setting values.
#include "config/setting_keys.h"

#include <array>
#include <charconv>
#include <limits>
#include <system_error>

namespace kestrel {
namespace {

// The name is taken from the field itself, so a key cannot name one field
// and reach another.
// clang-format off
#define KESTREL_INT(field) SettingKey{#field, SettingType::Integer, &Settings::field, nullptr}
#define KESTREL_STR(field) SettingKey{#field, SettingType::String, nullptr, &Settings::field}
// clang-format on

constexpr std::array kKeys = {
    KESTREL_INT(flags),
    KESTREL_INT(showCmd),
    KESTREL_INT(x1),
    KESTREL_INT(y1),
    KESTREL_INT(x2),
    KESTREL_INT(y2),
    KESTREL_INT(fullshow),
    KESTREL_INT(vista),
    KESTREL_INT(color_bg),
    KESTREL_INT(color_select),
    KESTREL_INT(color_red),
    KESTREL_INT(color_blue),
    KESTREL_INT(color_pink),
    KESTREL_INT(color_green),
    KESTREL_INT(color_turquoise),
    KESTREL_INT(color_yellow),
    KESTREL_INT(color_white),
    KESTREL_INT(color_fields),
    KESTREL_INT(color_cursor),
    KESTREL_INT(typeahead),
    KESTREL_INT(askprint),
    KESTREL_INT(shift_arrow),
    KESTREL_INT(fontsize),
    KESTREL_INT(font_weight),
    KESTREL_INT(font_italic),
    KESTREL_INT(font_charset),
    KESTREL_STR(font_name),
    KESTREL_INT(font_pcharset),
    KESTREL_INT(pfontsize),
    KESTREL_INT(pfont_weight),
    KESTREL_INT(pfont_italic),
    KESTREL_STR(pfont_name),
    KESTREL_INT(show_unprotected),
    KESTREL_INT(use_cv),
    KESTREL_INT(x_margin),
    KESTREL_INT(y_margin),
    KESTREL_INT(show_negotiation),
    KESTREL_INT(bell),
    KESTREL_INT(blink),
    KESTREL_INT(crosshair),
    KESTREL_INT(cursortype),
    KESTREL_INT(mouse_cursor),
    KESTREL_INT(table),
    KESTREL_INT(excel_paste),
    KESTREL_INT(confirm),
    KESTREL_INT(exit),
    KESTREL_INT(nocheck),
    KESTREL_INT(alive),
    KESTREL_INT(ssl),
    KESTREL_INT(autologin),
    KESTREL_STR(user),
    KESTREL_STR(password),
    KESTREL_INT(ignore_border),
    KESTREL_INT(num_point),
    KESTREL_INT(port),
    KESTREL_INT(autoconnect),
    KESTREL_INT(autoreconnect),
    KESTREL_STR(host_name),
    KESTREL_STR(proxy_host),
    KESTREL_INT(proxy_port),
    KESTREL_INT(proxy_enable),
    KESTREL_INT(proxy_socks_enable),
    KESTREL_STR(proxy_syntax),
    KESTREL_STR(proxy_return),
    KESTREL_INT(alternate),
    // The host history: "host_hist" with its first 0..7 characters removed.
    KESTREL_STR(host_hist),
    KESTREL_STR(ost_hist),
    KESTREL_STR(st_hist),
    KESTREL_STR(t_hist),
    KESTREL_STR(_hist),
    KESTREL_STR(hist),
    KESTREL_STR(ist),
    KESTREL_STR(st),
    KESTREL_STR(recordcatalog),
    KESTREL_STR(keyname),
    KESTREL_STR(logname),
    KESTREL_INT(log_enable),
    KESTREL_STR(ebcdic_id),
    KESTREL_INT(status_bar),
    KESTREL_INT(knap_bar),
};

#undef KESTREL_INT
#undef KESTREL_STR

std::string_view trimBlanks(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Decimal with an optional minus, or 0x hex; the whole text must be the number.
std::optional<int> parseInteger(std::string_view text) {
    text = trimBlanks(text);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        // from_chars would take a sign here too; hex has none.
        if (!isHexDigit(text.front())) {
            return std::nullopt;
        }
        base = 16;
    }
    if (text.empty()) {
        return std::nullopt;
    }
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    if (ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::span<const SettingKey> settingKeys() {
    return kKeys;
}

const SettingKey* findSetting(std::string_view key) {
    for (const SettingKey& entry : kKeys) {
        if (entry.name == key) {
            return &entry;
        }
    }
    return nullptr;
}

SettingStatus setSettingFromText(Settings& settings, std::string_view key, std::string_view text) {
    const SettingKey* entry = findSetting(key);
    if (entry == nullptr) {
        return SettingStatus::UnknownKey;
    }
    if (entry->type == SettingType::String) {
        settings.*(entry->string) = std::string(text);
        return SettingStatus::Ok;
    }
    const std::optional<int> value = parseInteger(text);
    if (!value) {
        return SettingStatus::BadNumber;
    }
    settings.*(entry->integer) = *value;
    return SettingStatus::Ok;
}

std::optional<std::string> settingAsText(const Settings& settings, std::string_view key) {
    const SettingKey* entry = findSetting(key);
    if (entry == nullptr) {
        return std::nullopt;
    }
    if (entry->type == SettingType::String) {
        return settings.*(entry->string);
    }
    return std::to_string(settings.*(entry->integer));
}

}  // namespace kestrel
