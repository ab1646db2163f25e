// Lines of the import file config32.txt, and the import with its rename.
#include "config/config_import.h"

#include <gtest/gtest.h>

#include "support/recording_ui.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using test_support::RecordingUi;
using test_support::TempDir;

struct LineCase {
    const char* line;
    std::optional<std::variant<int, std::string>> value;  // nothing: the line is ignored
    const char* key = "k";
};

TEST(ImportLine, ScansLikeKeyEqualsValue) {
    const LineCase cases[] = {
        {"k = 992\n", 992},
        {"k = 0x00FF00\n", 0x00FF00},
        {"k = 010\n", 8},
        {"k = -5\n", -5},
        {"k =992\n", 992},
        {"  k = 7", 7},
        {"k = 12abc\n", 12},
        {"k = \"mvs.example.com\"\n", std::string("mvs.example.com")},
        {"k = \"a b\" trailing\n", std::string("a b")},
        {"k = \"C:\\dir\\015\"\n", std::string("C:\\dir\\015")},
        {"k=255\n", std::nullopt},
        {"k= 255\n", std::nullopt},
        {"k = \n", std::nullopt},
        {"k\n", std::nullopt},
        {"k = abc\n", std::nullopt},
        {"k = 99999999999\n", std::nullopt},
        {"k = 0x100000000\n", std::nullopt},
        {"k = \"\"\n", std::nullopt},
        {"k = \"unterminated\n", std::nullopt},
        {"# k = 1\n", std::nullopt},
        {"OVERWRITE\n", std::nullopt},
    };
    for (const LineCase& c : cases) {
        const auto setting = parseImportLine(c.line);
        ASSERT_EQ(setting.has_value(), c.value.has_value()) << c.line;
        if (setting) {
            EXPECT_EQ(setting->key, c.key) << c.line;
            EXPECT_EQ(setting->value, *c.value) << c.line;
        }
    }
}

TEST(ImportFile, CopiesKnownAndUnknownKeysAndRenamesTheFile) {
    TempDir dir;
    dir.write("config32.txt",
              "# sample\nport = 992\nhost_name = \"mvs.example.com\"\nno_such_key = 3\n"
              "color_bg=255\n");
    dir.write("config32.old", "an older import");
    MemorySettingsStore store;
    RecordingUi ui;
    EXPECT_TRUE(importConfigFile(dir.path().string(), store, "Version 1.0/1", "1", ui));
    EXPECT_EQ(store.readInt("Version 1.0/1", "port", 0), 992);
    EXPECT_EQ(store.readString("Version 1.0/1", "host_name", ""), "mvs.example.com");
    EXPECT_EQ(store.readInt("Version 1.0/1", "no_such_key", 0), 3);
    EXPECT_EQ(store.readInt("Version 1.0/1", "color_bg", -1), -1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("config32.txt")));
    EXPECT_EQ(TempDir::read(dir.file("config32.old")).substr(0, 8), "# sample");
    EXPECT_TRUE(ui.calls.empty());
}

TEST(ImportFile, MissingFileImportsNothing) {
    TempDir dir;
    MemorySettingsStore store;
    RecordingUi ui;
    EXPECT_FALSE(importConfigFile(dir.path().string(), store, "Version 1.0/1", "1", ui));
    EXPECT_TRUE(store.integers.empty());
}

TEST(ImportFile, FailedRenameWarnsOnlyForConfigurationOne) {
    for (const char* name : {"1", "12", "2"}) {
        TempDir dir;
        dir.write("config32.txt", "port = 1\n");
        // A non-empty directory named config32.old can be neither removed nor replaced.
        std::filesystem::create_directory(dir.file("config32.old"));
        dir.write("config32.old/keep", "x");
        MemorySettingsStore store;
        RecordingUi ui;
        importConfigFile(dir.path().string(), store, "s", name, ui);
        EXPECT_TRUE(std::filesystem::exists(dir.file("config32.txt")));
        const std::vector<std::string> expected =
            name[0] == '1' ? std::vector<std::string>{"message 32863"} : std::vector<std::string>{};
        EXPECT_EQ(ui.calls, expected) << name;
    }
}

TEST(ImportFile, OverwriteMustBeginALine) {
    TempDir dir;
    const struct {
        const char* text;
        bool overwrite;
    } cases[] = {
        {"port = 1\nOVERWRITE\n", true}, {"OVERWRITE = 1\n", true}, {"OVERWRITE", true},
        {"# OVERWRITE\n", false},        {" OVERWRITE\n", false},   {"OVERWRITES\n", false},
        {"port = 1\n", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(importFileAsksToOverwrite(dir.write("config32.txt", c.text)), c.overwrite)
            << c.text;
    }
    EXPECT_FALSE(importFileAsksToOverwrite(dir.file("absent.txt")));
}

TEST(ImportFile, SuppliedSampleImportsWhatItShows) {
    TempDir dir;
    dir.write("config32.txt", TempDir::read(KESTREL_SOURCE_DATA_DIR "/config32.txt"));
    EXPECT_FALSE(importFileAsksToOverwrite(dir.file("config32.txt")));
    MemorySettingsStore store;
    RecordingUi ui;
    ASSERT_TRUE(importConfigFile(dir.path().string(), store, "s", "1", ui));
    const std::map<std::pair<std::string, std::string>, int> integers = {
        {{"s", "port"}, 23},     {{"s", "alternate"}, 32},         {{"s", "color_bg"}, 0},
        {{"s", "x_margin"}, 10}, {{"s", "color_green"}, 0x00FF00},
    };
    const std::map<std::pair<std::string, std::string>, std::string> strings = {
        {{"s", "host_name"}, "mvs.example.com"},
        {{"s", "font_name"}, "Liberation Mono"},
        {{"s", "proxy_syntax"}, "$1 $2\\015\\012"},
    };
    EXPECT_EQ(store.integers, integers);
    EXPECT_EQ(store.strings, strings);
}

}  // namespace
}  // namespace kestrel
