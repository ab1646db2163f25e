// EBCDIC mapping files: the line rule, loading over the current tables, the
// writer, and choosing a national file.
#include "mapping/ebcdic_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/recording_ui.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using test_support::RecordingUi;
using test_support::TempDir;

std::string hexPair(const std::optional<EbcdicPair>& pair) {
    if (!pair)
        return "none";
    char text[16];
    std::snprintf(text, sizeof text, "%02x->%02x", pair->ebcdic, pair->ascii);
    return text;
}

TEST(ScanEbcdicLine, FifthCharacterDecidesBetweenHexAndCharacter) {
    struct Case {
        const char* line;
        const char* expected;
    } cases[] = {
        {"c1 41\n", "c1->41"},
        {"C1 41\n", "c1->41"},
        {"c1 A\n", "c1->41"},  // the character A
        {"c1 4\n", "c1->34"},  // the character 4, not hexadecimal 4
        {"c1 a\n", "c1->61"},  // the character a, not hexadecimal a
        {"0a 25\n", "0a->25"},
        {"c1 ab\n", "c1->ab"},  // fifth character visible: two numbers
        {"c1 4g\n", "c1->04"},  // the number stops at g
        {"c1 zz\n", "c1->7a"},  // second number fails: the character z
        {"c1\t41\n", "c1->41"},
        {"c1 0x41\n", "c1->41"},
        {"c1 41\r\n", "c1->41"},
        {"c1 A\r\n", "c1->41"},
        {"c1 41", "c1->41"},  // last line without a line end
        {"c1 4", "c1->34"},
        {"  c1 41\n", "c1->34"},  // leading blanks move the
                                  // fifth-character test
        {"c1 \xe9\n", "c1->e9"},  // characters above 127 are not negative
        {"c1\n", "none"},         // shorter than 4 with its line end
        {"c1 \n", "none"},        // no second field
        {"100 41\n", "none"},     // EBCDIC value above 255
        {"c1 100\n", "none"},     // ASCII value above 255: no fallback to '1'
        {"-1 41\n", "none"},      // a negative value never indexes the table
        {"c1 -1\n", "none"},
        {"zz 41\n", "none"},
        {"    \n", "none"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hexPair(scanEbcdicLine(c.line)), c.expected) << "line \"" << c.line << "\"";
    }
}

TEST(ScanEbcdicLine, ReadsBackEveryWrittenPair) {
    for (int e = 0; e < 256; ++e) {
        for (int a = 0; a < 256; ++a) {
            const EbcdicPair pair{static_cast<uint8_t>(e), static_cast<uint8_t>(a)};
            const std::string text = formatEbcdicMapping({&pair, 1});
            const std::string line = text.substr(kEbcdicFileHeader.size());
            ASSERT_EQ(scanEbcdicLine(line), pair) << line;
        }
    }
}

TEST(FormatEbcdicMapping, WritesHeaderAndTwoLowerCaseDigitsInOrder) {
    const EbcdicPair pairs[] = {{0x0a, 0x25}, {0xC1, 0x41}, {0x4A, 0x5B}, {0x4A, 0x5B}, {0, 0}};
    EXPECT_EQ(formatEbcdicMapping(pairs),
              "# TN3270 ebcdic mapping file\n0a 25\nc1 41\n4a 5b\n4a 5b\n00 00\n");
    EXPECT_EQ(formatEbcdicMapping({}), "# TN3270 ebcdic mapping file\n");
}

TEST(ReadEbcdicMapping, LaterLinesWinInTheirOwnDirection) {
    CodePageTable table;
    readEbcdicMapping(table, "4a 41\n4a 42\n");
    EXPECT_EQ(table.toAscii(0x4A), 0x42);
    EXPECT_EQ(table.toEbcdic(0x41), 0x4A);  // never undone: the directions are not inverse
    EXPECT_EQ(table.toEbcdic(0x42), 0x4A);

    readEbcdicMapping(table, "ba 5b\n4a 5b\n");
    EXPECT_EQ(table.toEbcdic(0x5B), 0x4A);
    EXPECT_EQ(table.toAscii(0xBA), 0x5B);
}

TEST(ReadEbcdicMapping, ChangesOnlyTheNamedEntries) {
    CodePageTable table;
    readEbcdicMapping(table, "# TN3270 ebcdic mapping file\n#c2 42\nc1 41\nnonsense\n\n");
    CodePageTable expected;
    expected.ebcdicToAscii[0xC1] = 0x41;
    expected.asciiToEbcdic[0x41] = 0xC1;
    EXPECT_EQ(table.ebcdicToAscii, expected.ebcdicToAscii);
    EXPECT_EQ(table.asciiToEbcdic, expected.asciiToEbcdic);
}

TEST(ReadEbcdicMapping, ReadsLongLinesAsSeveralLines) {
    const std::string pad77(77, ' ');
    struct Case {
        std::string text;
        uint8_t ebcdic;
        uint8_t ascii;  // expected toAscii(ebcdic)
    } cases[] = {
        // The tail of a long comment is a line of its own.
        {"#" + std::string(78, '-') + "c1 41\n", 0xC1, 0x41},
        // The head of a long line is read up to its 79th character ...
        {"c2" + std::string(76, ' ') + "x42 43\n", 0xC2, 'x'},
        // ... and the rest as the next line.
        {"c2" + std::string(76, ' ') + "x42 43\n", 0x42, 0x43},
        // A mapping pushed past the 79th character is lost from its line.
        {"c3" + pad77 + "44\n", 0xC3, 0x20},
        // 79 characters with the line end are still one line.
        {"c4 45" + std::string(73, ' ') + "\n", 0xC4, 0x45},
    };
    for (const Case& c : cases) {
        CodePageTable table;
        readEbcdicMapping(table, c.text);
        EXPECT_EQ(table.toAscii(c.ebcdic), c.ascii) << c.text;
    }
}

TEST(LoadEbcdicFile, MissingFileLeavesEverythingBlankAndSaysSoOnce) {
    TempDir dir;
    for (const std::string& path : {dir.file("no-such-file"), dir.path().string()}) {
        CodePageTable table;
        RecordingUi ui;
        EXPECT_FALSE(loadEbcdicFile(table, path, ui)) << path;
        EXPECT_EQ(ui.calls, std::vector<std::string>{"message 32807"});
        for (int i = 0; i < 256; ++i) {
            ASSERT_EQ(table.toAscii(i), 0x20) << i;
            ASSERT_EQ(table.toEbcdic(i), 0x40) << i;
        }
    }
}

TEST(LoadEbcdicFile, LoadsOverTheCurrentTables) {
    TempDir dir;
    CodePageTable table;
    RecordingUi ui;
    ASSERT_TRUE(loadEbcdicFile(table, dir.write("first", "c1 41\nc2 42\n"), ui));
    ASSERT_TRUE(loadEbcdicFile(table, dir.write("second", "c1 61\n"), ui));
    EXPECT_TRUE(ui.calls.empty());
    EXPECT_EQ(table.toAscii(0xC1), 0x61);
    EXPECT_EQ(table.toAscii(0xC2), 0x42);  // not named by the second file
    EXPECT_EQ(table.toEbcdic(0x41), 0xC1);

    CodePageTable before = table;
    EXPECT_FALSE(loadEbcdicFile(table, dir.file("missing"), ui));
    EXPECT_EQ(table.ebcdicToAscii, before.ebcdicToAscii);
    EXPECT_EQ(table.asciiToEbcdic, before.asciiToEbcdic);
}

TEST(ChooseCodePage, KeepsTheDirectoryAndPicksTheFile) {
    struct Case {
        int position;
        const char* current;
        const char* expected;
    } cases[] = {
        {11, "C:\\dir\\ebcdic.map", "C:\\dir\\ebcdic.grk"},
        {11, "ebcdic.map", "ebcdic.grk"},
        {0, "/usr/share/kestrel/ebcdic.ger", "/usr/share/kestrel/ebcdic.map"},
        {12, "C:\\a/b\\ebcdic.map", "C:\\a/b\\ebcdic.tur"},
        {12, "/a\\b/ebcdic.map", "/a\\b/ebcdic.tur"},
        {4, "/dir.d/mine", "/dir.d/ebcdic.fr"},
        {2, "/dir/", "/dir/ebcdic.ger"},
        {2, "", "ebcdic.ger"},
        {-1, "/dir/ebcdic.map", "/dir/ebcdic.map"},  // nothing selected
        {13, "/dir/ebcdic.map", "/dir/ebcdic.map"},
        {-7, "/dir/ebcdic.map", "/dir/ebcdic.map"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chooseCodePage(c.position, c.current), c.expected)
            << c.position << " " << c.current;
    }
}

TEST(DefaultEbcdicFileName, FollowsThePrimaryLanguage) {
    struct Case {
        int language;
        const char* file;
    } cases[] = {
        {6, "ebcdic.dk"},   {20, "ebcdic.dk"},  {7, "ebcdic.ger"},  {10, "ebcdic.spa"},
        {11, "ebcdic.fin"}, {29, "ebcdic.fin"}, {12, "ebcdic.fr"},  {15, "ebcdic.ice"},
        {16, "ebcdic.ita"}, {9, "ebcdic.map"},  {25, "ebcdic.map"}, {0, "ebcdic.map"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(defaultEbcdicFileName(c.language), c.file) << c.language;
    }
}

}  // namespace
}  // namespace kestrel
