// The supplied mapping files: every one loads, names each EBCDIC value once, shows
// the key characters of its language both ways, and survives the editor.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "mapping/ebcdic_editor.h"
#include "mapping/ebcdic_file.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using test_support::RecordingUi;
using test_support::TempDir;

std::string suppliedFile(std::string_view extension) {
    return std::string(KESTREL_SOURCE_DATA_DIR) + "/ebcdic." + std::string(extension);
}

struct KeyCharacter {
    uint8_t ebcdic;
    uint8_t ascii;
};

// Characters every file shares, then the ones that tell the national pages apart
// (in the Windows code page of the language).
const KeyCharacter kCommon[] = {
    {0x40, ' '}, {0xC1, 'A'}, {0x81, 'a'}, {0xE9, 'Z'}, {0xA9, 'z'},
    {0xF0, '0'}, {0xF9, '9'}, {0x4B, '.'}, {0x5C, '*'}, {0x5E, ';'},
};

const std::map<std::string_view, std::vector<KeyCharacter>> kNational = {
    {"map", {{0x4A, 0xA2 /* cent */}, {0x5B, '$'}, {0x7C, '@'}, {0xBA, '['}}},
    {"ita", {{0x7B, 0xA3 /* pound */}, {0x5A, 0xE9 /* e acute */}, {0xC0, 0xE0 /* a grave */}}},
    {"ger", {{0x4A, 0xC4 /* A umlaut */}, {0x7C, 0xA7 /* section */}, {0xA1, 0xDF /* sharp s */}}},
    {"spa", {{0x7B, 0xD1 /* N tilde */}, {0x6A, 0xF1 /* n tilde */}, {0x4A, '['}}},
    {"fr", {{0x7C, 0xE0 /* a grave */}, {0xC0, 0xE9 /* e acute */}, {0xE0, 0xE7 /* c cedilla */}}},
    {"uk", {{0x5B, 0xA3 /* pound */}, {0x4A, '$'}}},
    {"fin", {{0x7B, 0xC4 /* A umlaut */}, {0x7C, 0xD6 /* O umlaut */}, {0x5B, 0xC5 /* A ring */}}},
    {"dk", {{0x7B, 0xC6 /* AE */}, {0x7C, 0xD8 /* O slash */}, {0x5B, 0xC5 /* A ring */}}},
    {"ice", {{0x7C, 0xD0 /* Eth */}, {0xC0, 0xDE /* Thorn */}, {0x5A, 0xC6 /* AE */}}},
    {"rus", {{0xB9, 0xC0 /* Cyrillic A */}, {0xDD, 0xDF /* Cyrillic Ya */}}},
    {"cz", {{0x67, 0xC8 /* C caron */}, {0xB6, 0x9E /* z caron */}}},
    {"grk", {{0x41, 0xC1 /* Alpha */}, {0x42, 0xC2 /* Beta */}}},
    {"tur", {{0x5A, 0xD0 /* G breve */}, {0x5B, 0xDD /* I dot */}, {0x79, 0xFD /* dotless i */}}},
};

TEST(SuppliedMaps, EveryListEntryHasAFileWithKeyCharacters) {
    ASSERT_EQ(kNational.size(), kCodePageChoices.size());
    for (const CodePageChoice& choice : kCodePageChoices) {
        SCOPED_TRACE(choice.name);
        CodePageTable table;
        RecordingUi ui;
        ASSERT_TRUE(loadEbcdicFile(table, suppliedFile(choice.extension), ui));
        EXPECT_TRUE(ui.calls.empty());

        std::vector<KeyCharacter> keys(std::begin(kCommon), std::end(kCommon));
        const auto national = kNational.find(choice.extension);
        ASSERT_NE(national, kNational.end());
        keys.insert(keys.end(), national->second.begin(), national->second.end());
        for (const KeyCharacter& key : keys) {
            EXPECT_EQ(table.toAscii(key.ebcdic), key.ascii) << std::hex << int(key.ebcdic);
            EXPECT_EQ(table.toEbcdic(key.ascii), key.ebcdic) << std::hex << int(key.ascii);
        }
        // Controls show as blanks, DUP and FM as * and ; without taking them over.
        EXPECT_EQ(table.toAscii(0x00), ' ');
        EXPECT_EQ(table.toAscii(0x15), ' ');
        EXPECT_EQ(table.toAscii(0xFF), ' ');
        EXPECT_EQ(table.toAscii(0x1C), '*');
        EXPECT_EQ(table.toAscii(0x1E), ';');
    }
}

TEST(SuppliedMaps, EveryShownCharacterTypesBackToItself) {
    for (const CodePageChoice& choice : kCodePageChoices) {
        SCOPED_TRACE(choice.name);
        std::ifstream in(suppliedFile(choice.extension), std::ios::binary);
        const std::vector<EbcdicPair> pairs = readEbcdicEditorList(in);
        CodePageTable table;
        for (const EbcdicPair& pair : pairs) {
            table.setPair(pair.ebcdic, pair.ascii);
        }
        // Each EBCDIC value exactly once, so switching files leaves nothing behind
        // in the host-to-display direction.
        ASSERT_EQ(pairs.size(), 256u);
        std::vector<bool> named(256, false);
        for (const EbcdicPair& pair : pairs) {
            EXPECT_FALSE(named[pair.ebcdic]) << "EBCDIC " << int(pair.ebcdic) << " twice";
            named[pair.ebcdic] = true;
        }
        for (const EbcdicPair& pair : pairs) {
            EXPECT_EQ(table.toAscii(table.toEbcdic(pair.ascii)), pair.ascii)
                << std::hex << "ASCII " << int(pair.ascii);
            EXPECT_GE(pair.ascii, 0x20) << "control character shown";
        }
    }
}

TEST(SuppliedMaps, SurviveTheEditorUnchanged) {
    TempDir dir;
    for (const CodePageChoice& choice : kCodePageChoices) {
        SCOPED_TRACE(choice.name);
        const std::string original = TempDir::read(suppliedFile(choice.extension));
        const std::string copy = dir.write("ebcdic.copy", original);
        CodePageTable table;
        RecordingUi ui;
        EbcdicEditor editor(table, ui);
        ASSERT_TRUE(editor.open(copy));
        ASSERT_TRUE(editor.save());
        EXPECT_EQ(TempDir::read(copy), original);
        EXPECT_TRUE(ui.calls.empty());
    }
}

TEST(SuppliedMaps, SwitchingFilesChangesOnlyTheNamedEntries) {
    const std::pair<std::string_view, std::string_view> switches[] = {
        {"map", "ger"}, {"map", "rus"}, {"grk", "map"}};
    for (const auto& [first, second] : switches) {
        SCOPED_TRACE(std::string(first) + " then " + std::string(second));
        CodePageTable alone, before, after;
        RecordingUi ui;
        ASSERT_TRUE(loadEbcdicFile(alone, suppliedFile(second), ui));
        ASSERT_TRUE(loadEbcdicFile(before, suppliedFile(first), ui));
        after = before;
        ASSERT_TRUE(loadEbcdicFile(after, suppliedFile(second), ui));

        std::ifstream in(suppliedFile(second), std::ios::binary);
        std::vector<bool> asciiNamed(256, false);
        for (const EbcdicPair& pair : readEbcdicEditorList(in)) {
            asciiNamed[pair.ascii] = true;
        }
        EXPECT_EQ(after.ebcdicToAscii, alone.ebcdicToAscii);  // all 256 are named
        for (int a = 0; a < 256; ++a) {
            EXPECT_EQ(after.toEbcdic(a), asciiNamed[a] ? alone.toEbcdic(a) : before.toEbcdic(a))
                << "ASCII " << a;
        }
    }
}

}  // namespace
}  // namespace kestrel
