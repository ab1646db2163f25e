// Settings written at exit come back at the next start, through the in-memory
// store and through the QSettings store in a temporary home.
#include <gtest/gtest.h>

#include <QSettings>
#include <memory>

#include "config/configuration.h"
#include "config/setting_keys.h"
#include "qtcore/qsettings_store.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using test_support::RecordingUi;
using test_support::TempDir;
namespace fs = std::filesystem;

enum class StoreKind { Memory, QSettings };

class SettingsRoundTrip : public ::testing::TestWithParam<StoreKind> {
  protected:
    // The store as a new start of the program opens it.
    SettingsStore& open() {
        if (GetParam() == StoreKind::Memory) {
            return memory;
        }
        qsettings.reset();  // the previous run's store is closed first
        qsettings = std::make_unique<QSettingsStore>("kestrel");
        return *qsettings;
    }

    SettingsRoundTrip() : previous_(fs::current_path()) {
        // QSettings keeps its files under these paths for this test only.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(home.file("user")));
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope,
                           QString::fromStdString(home.file("system")));
        dir.write("tnkeys.map", "# keys\n");
        fs::current_path(dir.path());
    }
    ~SettingsRoundTrip() override { fs::current_path(previous_); }

    TempDir home;
    TempDir dir;
    RecordingUi ui;
    MemorySettingsStore memory;
    std::unique_ptr<QSettingsStore> qsettings;

  private:
    fs::path previous_;
};

TEST_P(SettingsRoundTrip, EveryKeyComesBack) {
    Configuration saved;
    {
        SettingsStore& store = open();
        saved = loadSettings(store, ui, {}, {});
        // A distinct value for every key, strings with the characters that
        // stores like to mangle.
        int n = 1;
        for (const SettingKey& key : settingKeys()) {
            if (key.type == SettingType::Integer) {
                saved.settings.*key.integer = -1000 + 7 * n++;
            } else {
                saved.settings.*key.string = "v" + std::to_string(n++) + " a,b \"q\" \\015 ; = ü";
            }
        }
        saved.settings.blink = 0;  // with the crosshair on, blink is read as off
        saved.settings.keyname = "/opt/kestrel/tnkeys.map";
        saved.settings.recordcatalog = "/opt/kestrel";
        saveSettings(saved, store, WindowPlacement{1, 2, 30, 40, 700, 600}, {32771, 32836});
    }
    SettingsStore& store = open();
    const Configuration loaded = loadSettings(store, ui, {}, {});
    for (const SettingKey& key : settingKeys()) {
        if (key.type == SettingType::Integer) {
            EXPECT_EQ(loaded.settings.*key.integer, saved.settings.*key.integer) << key.name;
        } else {
            EXPECT_EQ(loaded.settings.*key.string, saved.settings.*key.string) << key.name;
        }
    }
    EXPECT_EQ(loaded.settings.x2, 700);
    const std::vector<ToolbarButton> buttons = loaded.toolbar.buttons();
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0].command, 32771);
    EXPECT_EQ(buttons[1].command, 32836);
    EXPECT_EQ(store.readMachineDir(), std::optional<std::string>(saved.dataDirectory));
    EXPECT_EQ(loaded.dataDirectory, "/opt/kestrel");
    EXPECT_TRUE(ui.calls.empty());
}

TEST_P(SettingsRoundTrip, ValuesOfTheWrongTypeReadAsAbsent) {
    SettingsStore& store = open();
    store.writeString("Version 1.0/1", "port", "not a number");
    EXPECT_EQ(store.readInt("Version 1.0/1", "port", 23), 23);
    EXPECT_EQ(store.readString("Version 1.0/1", "absent", "fallback"), "fallback");
    EXPECT_EQ(store.readMachineDir(), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Stores, SettingsRoundTrip,
                         ::testing::Values(StoreKind::Memory, StoreKind::QSettings),
                         [](const auto& info) {
                             return info.param == StoreKind::Memory ? "Memory" : "QSettings";
                         });

}  // namespace
}  // namespace kestrel
