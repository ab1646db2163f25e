// Reading the configuration at start, writing it at exit, and resetting it.
#include "config/configuration.h"

#include <gtest/gtest.h>

#include "config/settings_defaults.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using test_support::RecordingUi;
using test_support::TempDir;
namespace fs = std::filesystem;

// Runs each test in a fresh current directory that already holds tnkeys.map,
// so the data-directory search stays there; restores the old one afterwards.
class ConfigurationTest : public ::testing::Test {
  protected:
    ConfigurationTest() : previous_(fs::current_path()) {
        dir.write("tnkeys.map", "# keys\n");
        fs::current_path(dir.path());
        cwd = fs::current_path().string();
    }
    ~ConfigurationTest() override { fs::current_path(previous_); }

    Configuration load(const CommandLineSettings& commandLine = {}) {
        return loadSettings(store, ui, environment, commandLine);
    }
    static CommandLineSettings named(const char* name) {
        CommandLineSettings commandLine;
        commandLine.configurationName = name;
        return commandLine;
    }

    TempDir dir;
    std::string cwd;
    MemorySettingsStore store;
    RecordingUi ui;
    StartupEnvironment environment;

  private:
    fs::path previous_;
};

TEST_F(ConfigurationTest, FirstStartImportsTheFileOnce) {
    dir.write("config32.txt", "port = 992\nhost_name = \"mvs.example.com\"\n");
    Configuration first = load();
    EXPECT_EQ(first.settings.port, 992);
    EXPECT_EQ(first.settings.host_name, "mvs.example.com");
    EXPECT_TRUE(fs::exists("config32.old"));
    EXPECT_FALSE(fs::exists("config32.txt"));
    saveSettings(first, store, std::nullopt, {});

    // A new import file is ignored once the configuration has been saved ...
    dir.write("config32.txt", "port = 1023\n");
    EXPECT_EQ(load().settings.port, 992);
    EXPECT_TRUE(fs::exists("config32.txt"));
    // ... unless it asks to overwrite.
    dir.write("config32.txt", "OVERWRITE\nport = 1023\n");
    EXPECT_EQ(load().settings.port, 1023);
    EXPECT_FALSE(fs::exists("config32.txt"));
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(ConfigurationTest, NewNamedConfigurationStartsFromConfigurationOne) {
    Configuration one = load();
    one.settings.port = 992;
    one.settings.font_name = "Liberation Mono";
    saveSettings(one, store, std::nullopt, {});

    Configuration two = load(named("2"));
    EXPECT_EQ(two.settings.port, 992);
    EXPECT_EQ(two.settings.font_name, "Liberation Mono");
    two.settings.port = 2323;
    saveSettings(two, store, std::nullopt, {});
    EXPECT_EQ(store.readInt("Version 1.0/2", "port", 0), 2323);
    EXPECT_EQ(store.readInt("Version 1.0/1", "port", 0), 992);
    // Once saved, configuration 2 reads its own section.
    EXPECT_EQ(load(named("2")).settings.port, 2323);
}

TEST_F(ConfigurationTest, DefaultsFollowLanguageAndDirectory) {
    environment.primaryLanguage = language::Danish;
    const Settings settings = load().settings;
    EXPECT_EQ(settings.num_point, 0);
    EXPECT_EQ(settings.ebcdic_id, cwd + "/ebcdic.dk");
    EXPECT_EQ(settings.keyname, cwd + "/tnkeys.map");
    EXPECT_EQ(settings.logname, cwd + "/logfile");
    EXPECT_EQ(settings.recordcatalog, cwd);

    environment.primaryLanguage = language::German;
    EXPECT_EQ(load().settings.ebcdic_id, cwd + "/ebcdic.ger");
    EXPECT_EQ(load().settings.num_point, 1);
}

TEST_F(ConfigurationTest, RecordCatalogAndDataDirectoryComeFromTheKeyFile) {
    const struct {
        const char* keyname;
        const char* recordcatalog;
        std::string expectedCatalog;
        std::string expectedData;
    } cases[] = {
        {"C:\\Quenta\\tnkeys.map", "", "C:\\Quenta", "C:\\Quenta"},
        {"/opt/kestrel/tnkeys.map", "", "/opt/kestrel", "/opt/kestrel"},
        {"tnkeys.map", "", cwd + "/", cwd + "/"},
        {"/opt/kestrel/tnkeys.map", "/home/macros", "/home/macros", "/opt/kestrel"},
    };
    for (const auto& c : cases) {
        store.writeInt("Version 1.0/1", "color_bg", 0);
        store.writeString("Version 1.0/1", "keyname", c.keyname);
        store.writeString("Version 1.0/1", "recordcatalog", c.recordcatalog);
        const Configuration configuration = load();
        EXPECT_EQ(configuration.settings.recordcatalog, c.expectedCatalog) << c.keyname;
        EXPECT_EQ(configuration.dataDirectory, c.expectedData) << c.keyname;
    }
}

TEST_F(ConfigurationTest, CrosshairTurnsBlinkOffAndTheCommandLineWins) {
    store.writeInt("Version 1.0/1", "color_bg", 0);
    store.writeInt("Version 1.0/1", "crosshair", 1);
    store.writeInt("Version 1.0/1", "blink", 1);
    store.writeInt("Version 1.0/1", "port", 23);
    CommandLineSettings commandLine;
    commandLine.host = "mvs.example.com";
    commandLine.port = "992";
    commandLine.hideToolbar = true;
    const Settings settings = load(commandLine).settings;
    EXPECT_EQ(settings.blink, 0);
    EXPECT_EQ(settings.crosshair, 1);
    EXPECT_EQ(settings.host_name, "mvs.example.com");
    EXPECT_EQ(settings.autoconnect, 1);
    EXPECT_EQ(settings.port, 992);
    EXPECT_EQ(settings.knap_bar, 0);
}

TEST_F(ConfigurationTest, SaveFlagKeepsEverythingButTheWindowPlacement) {
    CommandLineSettings commandLine;
    commandLine.saveFlag = "1";
    Configuration configuration = load(commandLine);
    configuration.settings.port = 992;
    saveSettings(configuration, store, WindowPlacement{1, 0, 10, 20, 650, 500}, {});
    EXPECT_EQ(store.readInt("Version 1.0/1", "x1", -1), 10);
    EXPECT_EQ(store.readInt("Version 1.0/1", "y2", -1), 500);
    EXPECT_EQ(store.readInt("Version 1.0/1", "showCmd", -1), 1);
    EXPECT_EQ(store.readInt("Version 1.0/1", "port", -1), -1);
    EXPECT_EQ(store.readInt("Version 1.0/1", "color_bg", -1), -1);
    EXPECT_FALSE(store.machineDir);
}

TEST_F(ConfigurationTest, MinimisedOrMaximisedWindowKeepsTheStoredRectangle) {
    for (int showState : {2, 3}) {
        Configuration configuration = load();
        saveSettings(configuration, store, WindowPlacement{1, 0, 10, 20, 650, 500}, {});
        saveSettings(configuration, store, WindowPlacement{showState, 0, 0, 0, 1920, 1080}, {});
        EXPECT_EQ(store.readInt("Version 1.0/1", "x2", -1), 650);
        EXPECT_EQ(store.readInt("Version 1.0/1", "fullshow", -1), showState);
    }
}

TEST_F(ConfigurationTest, MachineDirectoryIsWrittenOnlyWhenItWasAbsent) {
    const struct {
        std::optional<std::string> stored;
        std::optional<std::string> afterSave;
    } cases[] = {
        {std::nullopt, cwd},
        {std::string(""), cwd},
        {std::string(100, 'x'), cwd},
        {std::string("/opt/kestrel"), std::string("/opt/kestrel")},
    };
    for (const auto& c : cases) {
        store.machineDir = c.stored;
        Configuration configuration = load();
        saveSettings(configuration, store, std::nullopt, {});
        EXPECT_EQ(store.machineDir, c.afterSave);
    }
}

TEST_F(ConfigurationTest, MissingSuppliedFilesStopTheSave) {
    fs::remove("tnkeys.map");
    TempDir installed;
    installed.write("tnkeys.map", "# keys\n");

    environment.dataDirectories = {(dir.path() / "absent").string(), installed.path().string()};
    Configuration found = load();
    EXPECT_EQ(fs::current_path(), fs::canonical(installed.path()));
    EXPECT_EQ(found.saveFlag, "0");
    EXPECT_EQ(found.settings.keyname, fs::current_path().string() + "/tnkeys.map");

    fs::current_path(dir.path());
    environment.dataDirectories = {};
    store = MemorySettingsStore();
    Configuration missing = load();
    EXPECT_EQ(missing.saveFlag, "1");
    EXPECT_EQ(ui.calls,
              std::vector<std::string>{
                  "text Looks as many files are missing. Please re-install lyrn w32 tn3270"});
}

TEST_F(ConfigurationTest, ResetSetsInstallationValuesAfterYes) {
    Settings settings;
    settings.fontsize = -20;
    settings.color_select = 0x123456;
    settings.typeahead = 1;
    settings.alternate = 24;
    settings.ebcdic_id = "/x/ebcdic.ger";
    settings.host_name = "mvs";

    ui.answers = {Answer::No};
    EXPECT_FALSE(resetSettings(settings, ui));
    EXPECT_EQ(settings.fontsize, -20);

    EXPECT_FALSE(resetSettings(settings, ui));  // no queued answer: the default, No
    EXPECT_EQ(settings.fontsize, -20);

    ui.answers = {Answer::Yes};
    EXPECT_TRUE(resetSettings(settings, ui));
    EXPECT_EQ(settings.fontsize, 12);
    EXPECT_EQ(settings.color_select, 0xFFFFFF);
    EXPECT_EQ(settings.color_green, 0x008000);
    EXPECT_EQ(settings.font_name, "Courier");
    EXPECT_EQ(settings.host_name, "");
    EXPECT_EQ(settings.proxy_syntax, "$1 $2\\015\\012");
    EXPECT_EQ(settings.typeahead, 1);
    EXPECT_EQ(settings.alternate, 24);
    EXPECT_EQ(settings.ebcdic_id, "/x/ebcdic.ger");
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"ask 32778", "ask 32778", "ask 32778"}));
}

}  // namespace
}  // namespace kestrel
