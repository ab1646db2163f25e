// The command line: options by first letter after '/' or '-', attached and
// detached values, the waiting order, the tn3270:// host form, the no-menu and
// no-toolbar forms, the session title length and the settings it yields.
#include "config/command_line.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kestrel {
namespace {

// The arguments and what they change in the default result.
struct ParseCase {
    const char* name;
    std::vector<std::string> arguments;
    void (*expect)(ParsedCommandLine&);
};

void PrintTo(const ParseCase& c, std::ostream* out) {
    *out << c.name;
}

class ParseTable : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTable, YieldsTheExpectedValues) {
    const ParseCase& c = GetParam();
    const ParsedCommandLine r = parseCommandLine(c.arguments);
    ParsedCommandLine e;
    c.expect(e);
    EXPECT_EQ(r.configurationName, e.configurationName);
    EXPECT_EQ(r.host, e.host);
    EXPECT_EQ(r.hostPort, e.hostPort);
    EXPECT_EQ(r.sessionTitle, e.sessionTitle);
    EXPECT_EQ(r.port, e.port);
    EXPECT_EQ(r.directConnect, e.directConnect);
    EXPECT_EQ(r.saveFlag, e.saveFlag);
    EXPECT_EQ(r.noMenu, e.noMenu);
    EXPECT_EQ(r.noToolbar, e.noToolbar);
    EXPECT_EQ(r.otherArguments, e.otherArguments);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(CommandLine, ParseTable, testing::Values(
    ParseCase{"nothing keeps the defaults", {}, [](auto&) {}},
    ParseCase{"C2 attached", {"/C2"}, [](auto& e) { e.configurationName = "2"; }},
    ParseCase{"C detached", {"/C", "2"}, [](auto& e) { e.configurationName = "2"; }},
    ParseCase{"lower case and dash", {"-c2", "-hmyhost"}, [](auto& e) { e.configurationName = "2"; e.host = "myhost"; }},
    ParseCase{"host and port attached", {"/Hmyhost", "/P992"}, [](auto& e) { e.host = "myhost"; e.port = "992"; }},
    ParseCase{"host and port detached", {"/H", "myhost", "/P", "992"}, [](auto& e) { e.host = "myhost"; e.port = "992"; }},
    ParseCase{"value is taken whole behind the letter", {"/Host"}, [](auto& e) { e.host = "ost"; }},
    ParseCase{"URL with path", {"/Htn3270://myhost/some/path"}, [](auto& e) { e.host = "myhost"; }},
    ParseCase{"URL detached", {"/H", "tn3270://myhost"}, [](auto& e) { e.host = "myhost"; }},
    ParseCase{"URL with port", {"/Htn3270://myhost:992/x"}, [](auto& e) { e.host = "myhost"; e.hostPort = "992"; }},
    ParseCase{"URL with a port that is no number stays whole", {"/Htn3270://myhost:abc"}, [](auto& e) { e.host = "myhost:abc"; }},
    ParseCase{"URL with port out of range stays whole", {"/Htn3270://myhost:70000"}, [](auto& e) { e.host = "myhost:70000"; }},
    ParseCase{"URL prefix is case-sensitive", {"/HTN3270://myhost/p"}, [](auto& e) { e.host = "TN3270://myhost/p"; }},
    ParseCase{"URL without host", {"/Htn3270://"}, [](auto&) {}},
    ParseCase{"later host replaces URL port", {"/Htn3270://a:992", "/Hb"}, [](auto& e) { e.host = "b"; }},
    ParseCase{"S1", {"/S1"}, [](auto& e) { e.saveFlag = "1"; }},
    ParseCase{"R1", {"/R1"}, [](auto& e) { e.directConnect = "1"; }},
    ParseCase{"N attached", {"/NPayroll"}, [](auto& e) { e.sessionTitle = "Payroll"; }},
    ParseCase{"M1 no menu", {"/M1"}, [](auto& e) { e.noMenu = true; }},
    ParseCase{"M0 is any text: no menu", {"/M0"}, [](auto& e) { e.noMenu = true; }},
    ParseCase{"M alone keeps the menu", {"/M"}, [](auto&) {}},
    ParseCase{"M takes up a later argument", {"/M", "/C2", "x"}, [](auto& e) { e.configurationName = "2"; e.noMenu = true; }},
    ParseCase{"M followed by an option only keeps the menu", {"/M", "/C2"}, [](auto& e) { e.configurationName = "2"; }},
    ParseCase{"T1 hides the toolbar", {"/T1"}, [](auto& e) { e.noToolbar = true; }},
    ParseCase{"T alone changes nothing", {"/T"}, [](auto&) {}},
    ParseCase{"T takes up a later argument", {"-t", "yes"}, [](auto& e) { e.noToolbar = true; }},
    ParseCase{"waiting order H before P", {"/P", "/H", "x", "y"}, [](auto& e) { e.host = "x"; e.port = "y"; }},
    ParseCase{"waiting order N S R before M T", {"/T", "/M", "/R", "/S", "/N", "a", "b", "c", "d", "e"}, [](auto& e) { e.sessionTitle = "a"; e.directConnect = "c"; e.saveFlag = "b"; e.noMenu = true; e.noToolbar = true; }},
    ParseCase{"waiting order M before C", {"/C", "/M", "x"}, [](auto& e) { e.noMenu = true; }},
    ParseCase{"C keeps waiting after M took one", {"/C", "/M", "x", "3"}, [](auto& e) { e.configurationName = "3"; e.noMenu = true; }},
    ParseCase{"waiting order P before C", {"/C", "/P", "23", "4"}, [](auto& e) { e.configurationName = "4"; e.port = "23"; }},
    ParseCase{"attached value ends the wait", {"/H", "/Ha", "file.txt"}, [](auto& e) { e.host = "a"; e.otherArguments = {"file.txt"}; }},
    ParseCase{"later option replaces earlier", {"/C2", "/C3"}, [](auto& e) { e.configurationName = "3"; }},
    ParseCase{"an option does not end a wait", {"/H", "/x", "h"}, [](auto& e) { e.host = "h"; e.otherArguments = {"/x"}; }},
    ParseCase{"other options and files go on unchanged", {"/Embedding", "-", "/", "doc.txt", "/Q1"}, [](auto& e) { e.otherArguments = {"/Embedding", "-", "/", "doc.txt", "/Q1"}; }},
    ParseCase{"a file after all waits are served is left alone", {"/H", "h", "doc.txt"}, [](auto& e) { e.host = "h"; e.otherArguments = {"doc.txt"}; }},
    ParseCase{"empty argument is no value", {"/S", "", "1"}, [](auto& e) { e.saveFlag = "1"; e.otherArguments = {""}; }},
    ParseCase{"value behind the letter may begin with a prefix", {"/N-x", "/H/y"}, [](auto& e) { e.host = "/y"; e.sessionTitle = "-x"; }}
));
// clang-format on

std::string repeat(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

struct TitleCase {
    const char* name;
    std::string title;
    bool shown;
};

void PrintTo(const TitleCase& c, std::ostream* out) {
    *out << c.name;
}

class TitleTable : public testing::TestWithParam<TitleCase> {};

TEST_P(TitleTable, ShowsOnlyOneToNineteenCharacters) {
    const TitleCase& c = GetParam();
    const ParsedCommandLine r = parseCommandLine({"/N" + c.title});
    if (c.shown) {
        EXPECT_EQ(r.documentTitle(), std::optional<std::string>(c.title));
    } else {
        EXPECT_EQ(r.documentTitle(), std::nullopt);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(CommandLine, TitleTable, testing::Values(
    TitleCase{"none", "", false},
    TitleCase{"one", "P", true},
    TitleCase{"Payroll", "Payroll", true},
    TitleCase{"nineteen", repeat("x", 19), true},
    TitleCase{"twenty", repeat("x", 20), false},
    TitleCase{"long", repeat("x", 200), false},
    // Characters, not bytes: 19 two-byte and four-byte characters are shown.
    TitleCase{"nineteen accented", repeat("\xC3\xA9", 19), true},
    TitleCase{"twenty accented", repeat("\xC3\xA9", 20), false},
    TitleCase{"nineteen four-byte characters", repeat("\xF0\x9F\x98\x80", 19), true},
    // Stray continuation bytes are characters of their own, not part of one.
    TitleCase{"lead byte and many continuation bytes", "\xC3" + repeat("\xA9", 40), false},
    TitleCase{"nineteen stray continuation bytes", repeat("\x80", 19), true},
    TitleCase{"twenty stray continuation bytes", repeat("\x80", 20), false}
));
// clang-format on

TEST(CommandLine, TitleGivenDetachedCountsToo) {
    EXPECT_EQ(parseCommandLine({"/N", "Payroll"}).documentTitle(),
              std::optional<std::string>("Payroll"));
}

struct DirectCase {
    std::vector<std::string> arguments;
    bool direct;
};

class DirectTable : public testing::TestWithParam<DirectCase> {};

TEST_P(DirectTable, DirectConnectWhenTheFlagBeginsWithOne) {
    EXPECT_EQ(parseCommandLine(GetParam().arguments).directConnectRequested(), GetParam().direct);
}

INSTANTIATE_TEST_SUITE_P(CommandLine, DirectTable,
                         testing::Values(DirectCase{{}, false}, DirectCase{{"/R1"}, true},
                                         DirectCase{{"/R10"}, true}, DirectCase{{"/R0"}, false},
                                         DirectCase{{"/Ryes"}, false},
                                         DirectCase{{"/R", "1"}, true}, DirectCase{{"/R"}, false}));

// The arguments and what they change in the default settings.
struct SettingsCase {
    const char* name;
    std::vector<std::string> arguments;
    void (*expect)(CommandLineSettings&);
};

void PrintTo(const SettingsCase& c, std::ostream* out) {
    *out << c.name;
}

class SettingsTable : public testing::TestWithParam<SettingsCase> {};

TEST_P(SettingsTable, ConvertsToTheConfigurationOverrides) {
    const SettingsCase& c = GetParam();
    const CommandLineSettings s = parseCommandLine(c.arguments).toSettings();
    CommandLineSettings e;
    c.expect(e);
    EXPECT_EQ(s.configurationName, e.configurationName);
    EXPECT_EQ(s.saveFlag, e.saveFlag);
    EXPECT_EQ(s.host, e.host);
    EXPECT_EQ(s.port, e.port);
    EXPECT_EQ(s.hideToolbar, e.hideToolbar);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(CommandLine, SettingsTable, testing::Values(
    SettingsCase{"defaults", {}, [](auto&) {}},
    SettingsCase{"host and port", {"/Hmyhost", "/P992"}, [](auto& e) { e.host = "myhost"; e.port = "992"; }},
    SettingsCase{"URL keeps the stored port", {"/Htn3270://myhost/some/path"}, [](auto& e) { e.host = "myhost"; }},
    SettingsCase{"URL port", {"/H", "tn3270://myhost:992"}, [](auto& e) { e.host = "myhost"; e.port = "992"; }},
    SettingsCase{"P wins over the URL port, before or after", {"/P23", "/Htn3270://myhost:992"}, [](auto& e) { e.host = "myhost"; e.port = "23"; }},
    SettingsCase{"invalid P falls back to the URL port", {"/Htn3270://myhost:992", "/Pabc"}, [](auto& e) { e.host = "myhost"; e.port = "992"; }},
    SettingsCase{"port that is no number is dropped", {"/P99x"}, [](auto&) {}},
    SettingsCase{"port zero is dropped", {"/P0"}, [](auto&) {}},
    SettingsCase{"port too large is dropped", {"/P65536"}, [](auto&) {}},
    SettingsCase{"largest port", {"/P65535"}, [](auto& e) { e.port = "65535"; }},
    SettingsCase{"empty URL host is no host", {"/Htn3270:///x"}, [](auto&) {}},
    SettingsCase{"C2 S1 T1", {"/C2", "/S1", "/T1"}, [](auto& e) { e.configurationName = "2"; e.saveFlag = "1"; e.hideToolbar = true; }},
    SettingsCase{"T alone", {"/T"}, [](auto&) {}}
));
// clang-format on

TEST(CommandLine, ArgvSkipsTheProgramName) {
    const char* argv[] = {"/Hprogram", "/C2", "/H", "myhost", nullptr};
    const ParsedCommandLine r = parseCommandLine(4, argv);
    EXPECT_EQ(r.configurationName, "2");
    EXPECT_EQ(r.host, "myhost");
}

TEST(CommandLine, ParserFedOneArgumentAtATime) {
    mycli parser;
    parser.parseParam("/M");
    EXPECT_FALSE(parser.result().noMenu);
    parser.parseParam("x");
    EXPECT_TRUE(parser.result().noMenu);
    parser.parseParam("y");
    EXPECT_EQ(parser.result().otherArguments, std::vector<std::string>{"y"});
}

}  // namespace
}  // namespace kestrel
