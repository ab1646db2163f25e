// The mapping-files dialog's logic and the loading of both mapping files: what is
// stored, what is cleared, the order of loading and of the messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mapping/ebcdic_file.h"
#include "mapping/key_file.h"
#include "mapping/mapping_files.h"
#include "support/key_bindings.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using test_support::Bindings;
using test_support::boundKeys;
using test_support::RecordingUi;
using test_support::TempDir;
using Calls = std::vector<std::string>;

class KeyMappingFilesTest : public ::testing::Test {
  protected:
    KeyMappingFilesTest() {
        settings.keyname = dir.write("old.keys", "f1 PF1\nf2 PF2\n");
        settings.ebcdic_id = dir.write("old.map", "c1 41\n");
        settings.recordcatalog = "/old/records";
        RecordingUi quiet;
        loadMappingFiles(settings, table, codePage, quiet);
    }

    TempDir dir;
    Settings settings;
    KeyBindingTable table;
    CodePageTable codePage;
    RecordingUi ui;
};

TEST_F(KeyMappingFilesTest, OkStoresTheNamesAndReloadsBothFiles) {
    const MappingFileNames names{dir.write("new.keys", "f1 CLEAR\n"),
                                 dir.write("new.map", "c2 42\n"), "/new/records"};
    applyMappingFiles(settings, names, table, codePage, ui);
    EXPECT_EQ(settings.keyname, names.keyname);
    EXPECT_EQ(settings.ebcdic_id, names.ebcdicId);
    EXPECT_EQ(settings.recordcatalog, "/new/records");
    EXPECT_TRUE(ui.calls.empty());
    // The key bindings start afresh; the code page is loaded over the old one.
    EXPECT_EQ(boundKeys(table), (Bindings{{"f1", 0x6D}}));
    EXPECT_EQ(table.listing().lines(), std::vector<std::string>{" f1                   CLEAR"});
    EXPECT_EQ(codePage.toAscii(0xC1), 0x41);
    EXPECT_EQ(codePage.toAscii(0xC2), 0x42);
}

TEST_F(KeyMappingFilesTest, MissingFilesAreReportedKeysFirst) {
    struct Case {
        const char* what;
        bool keys;
        bool ebcdic;
        Calls calls;
    } cases[] = {
        {"no keyboard file", false, true, {"message 32837"}},
        {"no EBCDIC file", true, false, {"message 32807"}},
        {"neither", false, false, {"message 32837", "message 32807"}},
    };
    const Settings old = settings;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        settings = old;
        RecordingUi calls;
        KeyBindingTable keys;
        CodePageTable page;
        RecordingUi quiet;
        loadMappingFiles(settings, keys, page, quiet);  // the old files
        const MappingFileNames names{
            c.keys ? dir.write("new.keys", "f3 PF3\n") : dir.file("none.keys"),
            c.ebcdic ? dir.write("new.map", "c2 42\n") : dir.file("none.map"), ""};
        applyMappingFiles(settings, names, keys, page, calls);
        EXPECT_EQ(calls.calls, c.calls);
        // A missing keyboard file leaves every key unbound; the names are stored
        // all the same, so the user can correct them.
        EXPECT_EQ(boundKeys(keys), (c.keys ? Bindings{{"f3", 0xF3}} : Bindings{}));
        EXPECT_EQ(page.toAscii(0xC1), 0x41);
        EXPECT_EQ(page.toAscii(0xC2), c.ebcdic ? 0x42 : 0x20);
        EXPECT_EQ(settings.keyname, names.keyname);
        EXPECT_EQ(settings.ebcdic_id, names.ebcdicId);
    }
}

TEST_F(KeyMappingFilesTest, LoadReportsSuccess) {
    RecordingUi quiet;
    EXPECT_TRUE(loadMappingFiles(settings, table, codePage, quiet));
    settings.ebcdic_id = dir.file("none.map");
    EXPECT_FALSE(loadMappingFiles(settings, table, codePage, quiet));
}

TEST(KeyMappingFilesForm, CodePageListKeepsTheOpeningDirectory) {
    Settings settings;
    settings.keyname = "/opt/kestrel/tnkeys.map";
    settings.ebcdic_id = "/opt/kestrel/ebcdic.map";
    settings.recordcatalog = "/home/u/records";
    MappingFilesForm form(settings);
    EXPECT_EQ(form.names.keyname, "/opt/kestrel/tnkeys.map");
    EXPECT_EQ(form.names.ebcdicId, "/opt/kestrel/ebcdic.map");
    EXPECT_EQ(form.names.recordCatalog, "/home/u/records");

    form.names.ebcdicId = "/elsewhere/typed.map";  // typed into the field
    form.selectCodePage(11);                       // Greek (875)
    EXPECT_EQ(form.names.ebcdicId, "/opt/kestrel/ebcdic.grk");
    form.names.ebcdicId = "/elsewhere/typed.map";
    form.selectCodePage(2);  // from the previous selection's path
    EXPECT_EQ(form.names.ebcdicId, "/opt/kestrel/ebcdic.ger");
    form.selectCodePage(-1);  // no selection: the field stays
    form.selectCodePage(13);
    EXPECT_EQ(form.names.ebcdicId, "/opt/kestrel/ebcdic.ger");

    Settings bare;
    bare.ebcdic_id = "ebcdic.map";
    MappingFilesForm plain(bare);
    plain.selectCodePage(0);
    EXPECT_EQ(plain.names.ebcdicId, "ebcdic.map");
    EXPECT_EQ(settings.ebcdic_id, "/opt/kestrel/ebcdic.map");  // Cancel: the settings are untouched
}

}  // namespace
}  // namespace kestrel
