// Setting keys: the table covers every field of Settings once, in the order
// of the configuration table, and values go in and out as text.
#include "config/setting_keys.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <set>
#include <string>
#include <vector>

namespace kestrel {
namespace {

// Counts the fields of an aggregate: the largest number of initialisers that
// brace initialisation accepts.
struct AnyField {
    template <class T>
    operator T() const;
};

template <class T, class... Fields>
constexpr std::size_t fieldCount() {
    if constexpr (requires { T{Fields{}..., AnyField{}}; }) {
        return fieldCount<T, Fields..., AnyField>();
    } else {
        return sizeof...(Fields);
    }
}

TEST(SettingKeysTest, EveryFieldHasExactlyOneKey) {
    const auto keys = settingKeys();
    // As many keys as fields, and no two keys on the same field: then every
    // field has its key.
    EXPECT_EQ(keys.size(), fieldCount<Settings>());

    std::set<std::string_view> names;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const SettingKey& a = keys[i];
        EXPECT_TRUE(names.insert(a.name).second) << "duplicate name " << a.name;
        if (a.type == SettingType::Integer) {
            EXPECT_TRUE(a.integer != nullptr && a.string == nullptr) << a.name;
        } else {
            EXPECT_TRUE(a.string != nullptr && a.integer == nullptr) << a.name;
        }
        for (std::size_t j = i + 1; j < keys.size(); ++j) {
            const SettingKey& b = keys[j];
            EXPECT_FALSE(a.integer != nullptr && a.integer == b.integer)
                << a.name << " and " << b.name << " share a field";
            EXPECT_FALSE(a.string != nullptr && a.string == b.string)
                << a.name << " and " << b.name << " share a field";
        }
    }
}

TEST(SettingKeysTest, KeysStandInTheOrderOfTheConfigurationTable) {
    // clang-format off
    const std::vector<std::string_view> expected = {
        "flags", "showCmd", "x1", "y1", "x2", "y2", "fullshow", "vista", "color_bg",
        "color_select", "color_red", "color_blue", "color_pink", "color_green",
        "color_turquoise", "color_yellow", "color_white", "color_fields", "color_cursor",
        "typeahead", "askprint", "shift_arrow", "fontsize", "font_weight", "font_italic",
        "font_charset", "font_name", "font_pcharset", "pfontsize", "pfont_weight",
        "pfont_italic", "pfont_name", "show_unprotected", "use_cv", "x_margin", "y_margin",
        "show_negotiation", "bell", "blink", "crosshair", "cursortype", "mouse_cursor", "table",
        "excel_paste", "confirm", "exit", "nocheck", "alive", "ssl", "autologin", "user",
        "password", "ignore_border", "num_point", "port", "autoconnect", "autoreconnect",
        "host_name", "proxy_host", "proxy_port", "proxy_enable", "proxy_socks_enable",
        "proxy_syntax", "proxy_return", "alternate", "host_hist", "ost_hist", "st_hist",
        "t_hist", "_hist", "hist", "ist", "st", "recordcatalog", "keyname", "logname",
        "log_enable", "ebcdic_id", "status_bar", "knap_bar"};
    // clang-format on
    std::vector<std::string_view> actual;
    for (const SettingKey& key : settingKeys()) {
        actual.push_back(key.name);
    }
    EXPECT_EQ(actual, expected);
}

TEST(SettingKeysTest, HostHistoryKeysAreHostHistShortenedStepByStep) {
    const auto keys = settingKeys();
    const SettingKey* first = findSetting("host_hist");
    ASSERT_NE(first, nullptr);
    const std::size_t start = std::size_t(first - keys.data());
    const std::string_view full = "host_hist";
    ASSERT_LE(start + 8, keys.size());
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(keys[start + i].name, full.substr(i));
        EXPECT_EQ(keys[start + i].type, SettingType::String) << keys[start + i].name;
    }
}

TEST(SettingKeysTest, FindSettingIsExactAndCaseSensitive) {
    const SettingKey* port = findSetting("port");
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->name, "port");
    EXPECT_EQ(port->type, SettingType::Integer);
    for (std::string_view unknown :
         {"", "Port", "port ", "newtoolbarused_0", "toolbartext_17", "host_hist_", "s"}) {
        EXPECT_EQ(findSetting(unknown), nullptr) << unknown;
    }
}

// Each key written through the table must be read back by its own key and by
// no other, so a key on the wrong field or two keys on one field show here.
TEST(SettingKeysTest, EachKeyReadsBackItsOwnValue) {
    Settings settings;
    const auto keys = settingKeys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string value = keys[i].type == SettingType::Integer
                                      ? std::to_string(1000 + int(i))
                                      : "value of " + std::string(keys[i].name);
        ASSERT_EQ(setSettingFromText(settings, keys[i].name, value), SettingStatus::Ok)
            << keys[i].name;
    }
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string expected = keys[i].type == SettingType::Integer
                                         ? std::to_string(1000 + int(i))
                                         : "value of " + std::string(keys[i].name);
        EXPECT_EQ(settingAsText(settings, keys[i].name), expected);
    }
    // A few fields read directly, to tie the keys to the fields they name.
    EXPECT_EQ(settings.x1, 1000 + int(findSetting("x1") - keys.data()));
    EXPECT_EQ(settings.y1, 1000 + int(findSetting("y1") - keys.data()));
    EXPECT_EQ(settings.alternate, 1000 + int(findSetting("alternate") - keys.data()));
    EXPECT_EQ(settings.st_hist, "value of st_hist");
    EXPECT_EQ(settings.st, "value of st");
    EXPECT_EQ(settings.password, "value of password");
}

TEST(SettingKeysTest, IntegerText) {
    struct Case {
        const char* text;
        SettingStatus status;
        int value;  // the value of port afterwards (23 when refused)
    };
    const Case cases[] = {
        {"992", SettingStatus::Ok, 992},
        {"0", SettingStatus::Ok, 0},
        {"-16", SettingStatus::Ok, -16},
        {"-0", SettingStatus::Ok, 0},
        {"007", SettingStatus::Ok, 7},  // decimal, not octal
        {"0x00FF00", SettingStatus::Ok, 0x00FF00},
        {"0XffFF", SettingStatus::Ok, 0xFFFF},
        {"0x7FFFFFFF", SettingStatus::Ok, 2147483647},
        {"2147483647", SettingStatus::Ok, 2147483647},
        {"-2147483648", SettingStatus::Ok, -2147483647 - 1},
        {" 42\t", SettingStatus::Ok, 42},
        {"", SettingStatus::BadNumber, 23},
        {"  ", SettingStatus::BadNumber, 23},
        {"-", SettingStatus::BadNumber, 23},
        {"0x", SettingStatus::BadNumber, 23},
        {"x10", SettingStatus::BadNumber, 23},
        {"12abc", SettingStatus::BadNumber, 23},
        {"12 13", SettingStatus::BadNumber, 23},
        {"1.5", SettingStatus::BadNumber, 23},
        {"+5", SettingStatus::BadNumber, 23},
        {"--5", SettingStatus::BadNumber, 23},
        {"-0x10", SettingStatus::BadNumber, 23},
        {"0x-10", SettingStatus::BadNumber, 23},
        {"0x+10", SettingStatus::BadNumber, 23},
        {"0x1G", SettingStatus::BadNumber, 23},
        {"2147483648", SettingStatus::BadNumber, 23},
        {"-2147483649", SettingStatus::BadNumber, 23},
        {"99999999999999999999", SettingStatus::BadNumber, 23},
        {"0x80000000", SettingStatus::BadNumber, 23},
        {"0xFFFFFFFF", SettingStatus::BadNumber, 23},
        {"0x100000000", SettingStatus::BadNumber, 23},
    };
    for (const Case& c : cases) {
        Settings settings;
        EXPECT_EQ(setSettingFromText(settings, "port", c.text), c.status) << '"' << c.text << '"';
        EXPECT_EQ(settings.port, c.value) << '"' << c.text << '"';
    }
}

TEST(SettingKeysTest, StringTextIsStoredAsGiven) {
    Settings settings;
    for (std::string_view text : {"", "  host.example.com  ", "0x10", "a\\015b", "$1 $2"}) {
        ASSERT_EQ(setSettingFromText(settings, "host_name", text), SettingStatus::Ok);
        EXPECT_EQ(settings.host_name, text);
        EXPECT_EQ(settingAsText(settings, "host_name"), std::string(text));
    }
}

TEST(SettingKeysTest, UnknownKeysChangeNothing) {
    Settings settings;
    EXPECT_EQ(setSettingFromText(settings, "no_such_key", "1"), SettingStatus::UnknownKey);
    EXPECT_EQ(setSettingFromText(settings, "newtoolbarused_3", "1"), SettingStatus::UnknownKey);
    EXPECT_EQ(settingAsText(settings, "no_such_key"), std::nullopt);
    const Settings untouched;
    for (const SettingKey& key : settingKeys()) {
        EXPECT_EQ(settingAsText(settings, key.name), settingAsText(untouched, key.name));
    }
}

TEST(SettingKeysTest, DefaultsReadAsText) {
    const Settings settings;
    struct Case {
        const char* key;
        std::string text;
    };
    const Case cases[] = {
        {"alternate", "32"},
        {"bell", "1"},
        {"flags", "-1"},
        {"fontsize", "-16"},
        {"color_select", "32896"},  // 0x008080
        {"port", "23"},
        {"proxy_port", "1080"},
        {"font_name", "Courier New"},
        {"pfont_name", "Courier New"},
        {"user", ""},
        {"host_hist", ""},
        // Backslash escapes are stored as typed: 13 and 8 characters.
        {"proxy_syntax", "$1 $2\\015\\012"},
        {"proxy_return", "\\015\\012"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(settingAsText(settings, c.key), c.text) << c.key;
    }
    EXPECT_EQ(settingAsText(settings, "proxy_syntax")->size(), 13u);
}

}  // namespace
}  // namespace kestrel
