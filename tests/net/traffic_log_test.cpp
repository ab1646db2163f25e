// The traffic log: the dump layout byte for byte, the header timestamp, opening
// at connect, the SSL entry counter, and a file that cannot be opened.
#include "net/traffic_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using namespace std::string_literals;
using test_support::RecordingUi;
using test_support::TempDir;

constexpr std::time_t kThuDec10 = 1796883178;  // Thu Dec 10 06:12:58 2026 UTC
constexpr const char* kHeaderTime = "Thu Dec 10 06:12:58 2026";

class FixedClock : public Clock {
  public:
    std::time_t now() const override { return time; }
    std::time_t time = kThuDec10;
};

// The header times are local; the tests pin local time to UTC and give the
// other tests of the program their time zone back afterwards.
class LocalTimeZone {
  public:
    explicit LocalTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            saved_ = old;
        }
        set(zone);
    }
    ~LocalTimeZone() {
        if (saved_) {
            setenv("TZ", saved_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    void set(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }

  private:
    std::optional<std::string> saved_;
};

// A few EBCDIC letters and digits, two control characters, the rest blanks.
CodePageTable smallCodePage() {
    CodePageTable table;
    for (int i = 0; i < 9; ++i) {
        table.setPair(static_cast<uint8_t>(0xC1 + i), static_cast<uint8_t>('A' + i));
    }
    for (int i = 0; i < 10; ++i) {
        table.setPair(static_cast<uint8_t>(0xF0 + i), static_cast<uint8_t>('0' + i));
    }
    table.setPair(0x25, '\n');
    table.setPair(0x00, '\0');
    return table;
}

class TrafficLogTest : public ::testing::Test {
  protected:
    LocalTimeZone utc{"UTC"};
    std::string contents() const { return TempDir::read(path); }

    TempDir dir;
    std::string path = dir.file("traffic.log");
    FixedClock clock;
    CodePageTable codePage = smallCodePage();
    Settings settings;
    TrafficLog log{clock, codePage, settings};
    RecordingUi ui;
};

TEST_F(TrafficLogTest, EntryLayoutByteForByte) {
    const std::string header = "PC 7.1 "s + kHeaderTime + "\n";
    const std::string sixteenHex = "c1 c2 c3 c4 c5 c6 c7 c8 c9 f0 f1 f2 f3 f4 f5 f6 ";
    const std::string sixteenText = "ABCDEFGHI0123456";
    const std::vector<uint8_t> sixteen = {0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8,
                                          0xC9, 0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6};
    std::vector<uint8_t> seventeen = sixteen;
    seventeen.push_back(0xF7);
    std::vector<uint8_t> thirtyTwo = sixteen;
    thirtyTwo.insert(thirtyTwo.end(), sixteen.begin(), sixteen.end());

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string expected;
    } cases[] = {
        {"empty entry", {}, header + "\n"},
        {"one byte", {0xC1}, header + "c1 " + std::string(45, ' ') + "    A\n\n"},
        {"full line", sixteen, header + sixteenHex + "    " + sixteenText + "\n\n"},
        {"one over a full line", seventeen,
         header + sixteenHex + "    " + sixteenText + "\n" + "f7 " + std::string(15 * 3, ' ') +
             "    7\n\n"},
        {"two full lines", thirtyTwo,
         header + sixteenHex + "    " + sixteenText + "\n" + sixteenHex + "    " + sixteenText +
             "\n\n"},
        // Control characters are written as the table gives them; unmapped
        // bytes come out as the table's blank.
        {"characters through the code page",
         {0x25, 0x00, 0xFF, 0xC1, 0x81},
         header + "25 00 ff c1 81 " + std::string(11 * 3, ' ') + "    " + "\n\0 A "s + "\n\n"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(log.open(path));
        log.writeEntry(kTagSent, c.bytes);
        EXPECT_EQ(contents(), c.expected) << c.name;  // read while open: already flushed
    }
}

TEST_F(TrafficLogTest, EntriesAndTextLinesFollowEachOtherInOrder) {
    ASSERT_TRUE(log.open(path));
    const uint8_t sent[] = {0xC1};
    const uint8_t received[] = {0xF1, 0xF2};
    log.writeEntry(kTagSent, sent, sizeof sent);
    log.writeTextLine("SSL handshake step");
    clock.time += 61;
    log.writeEntry(kTagReceived, received, sizeof received);
    log.writeTextLine("");
    EXPECT_EQ(contents(),
              "PC 7.1 Thu Dec 10 06:12:58 2026\n"
              "c1 " +
                  std::string(45, ' ') +
                  "    A\n\n"
                  "SSL handshake step\n"
                  "IBM 7.1 Thu Dec 10 06:13:59 2026\n"
                  "f1 f2 " +
                  std::string(42, ' ') + "    12\n\n\n");
}

TEST(TrafficLogTimestamp, ClassicLayoutInLocalTime) {
    LocalTimeZone zone("UTC");
    struct Case {
        std::time_t time;
        const char* expected;
    } cases[] = {
        {kThuDec10, "Thu Dec 10 06:12:58 2026"},
        {1796169599, "Tue Dec  1 23:59:59 2026"},  // day padded to two characters
        {951782400, "Tue Feb 29 00:00:00 2000"},
        {0, "Thu Jan  1 00:00:00 1970"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(trafficLogTimestamp(c.time), c.expected);
        // The C library's own layout, less its line break.
        std::string classic = std::asctime(std::localtime(&c.time));
        classic.pop_back();
        EXPECT_EQ(trafficLogTimestamp(c.time), classic);
    }

    zone.set("EST5");  // five hours west, no daylight saving
    EXPECT_EQ(trafficLogTimestamp(kThuDec10), "Thu Dec 10 01:12:58 2026");
}

TEST_F(TrafficLogTest, OpenEmptiesTheFileAndClosesThePreviousOne) {
    const std::string other = dir.write("other.log", "old contents\n");
    dir.write("traffic.log", "old contents\n");
    ASSERT_TRUE(log.open(path));
    EXPECT_EQ(contents(), "");
    log.writeTextLine("first");
    ASSERT_TRUE(log.open(other));
    log.writeTextLine("second");
    EXPECT_EQ(contents(), "first\n");
    EXPECT_EQ(TempDir::read(other), "second\n");

    log.close();
    EXPECT_FALSE(log.isOpen());
    log.writeTextLine("after close");
    const uint8_t byte[] = {0xC1};
    log.writeEntry(kTagSent, byte, 1);
    EXPECT_EQ(TempDir::read(other), "second\n");
}

TEST_F(TrafficLogTest, UnopenableFileMeansNoLogAndSilentSkips) {
    const std::string missing = dir.file("no-such-dir/traffic.log");
    EXPECT_FALSE(log.open(missing));
    EXPECT_FALSE(log.isOpen());
    const uint8_t byte[] = {0xC1};
    log.writeEntry(kTagSent, byte, 1);
    log.writeTextLine("nothing");
    settings.ssl = 1;
    for (int i = 0; i < 150; ++i) {
        log.writeEntry(kTagSent, byte, 1);  // no counting and no reopening without a log
    }
    EXPECT_EQ(log.entryCounter(), 0);
    EXPECT_FALSE(std::filesystem::exists(missing));

    // At a connect the warning is shown all the same.
    EXPECT_FALSE(log.openForConnect(missing, true, ui));
    EXPECT_EQ(ui.calls, std::vector<std::string>{"message 32853"});
    EXPECT_FALSE(log.isOpen());
}

TEST_F(TrafficLogTest, ConnectWarnsAndEmptiesOnlyWhenEnabled) {
    // Disabled: no file, no warning, and a log left open from before is closed.
    ASSERT_TRUE(log.open(dir.file("before.log")));
    EXPECT_FALSE(log.openForConnect(path, false, ui));
    EXPECT_FALSE(log.isOpen());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(ui.calls.empty());

    // Enabled: the file is emptied and the warning shown, at every connect.
    dir.write("traffic.log", "a previous session\n");
    EXPECT_TRUE(log.openForConnect(path, true, ui));
    EXPECT_EQ(contents(), "");
    log.writeTextLine("first session");
    EXPECT_TRUE(log.openForConnect(path, true, ui));
    EXPECT_EQ(contents(), "");
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"message 32853", "message 32853"}));
    EXPECT_EQ(ui.icons,
              (std::vector<MessageIcon>{MessageIcon::Information, MessageIcon::Information}));
}

TEST(TrafficLogMessages, WarningTextIsExact) {
    EXPECT_STREQ(messageText(kLogWarningMessage),
                 "SECURITY WARNING. Program has been started in log mode. All keyboard data "
                 "(including password) will be copied to a log file. To turn off this feature "
                 "select menu - settings - log traffic.");
}

TEST_F(TrafficLogTest, DiagnosticsOnlyWhileTheSessionIsLive) {
    ASSERT_TRUE(log.open(path));
    const uint8_t key[] = {0xC1, 0xC2};
    log.writeDiagnostic("KEY", key, sizeof key);
    EXPECT_EQ(contents(), "");
    log.setSessionLive(true);
    log.writeDiagnostic("KEY", key, sizeof key);
    const std::string entry =
        "KEY 7.1 "s + kHeaderTime + "\nc1 c2 " + std::string(42, ' ') + "    AB\n\n";
    EXPECT_EQ(contents(), entry);
    log.setSessionLive(false);
    log.writeDiagnostic("KEY", key, sizeof key);
    EXPECT_EQ(contents(), entry);
}

// The tags of the entries in the file, in order: the first word of every
// header line.
std::vector<std::string> headers(const std::string& text) {
    std::vector<std::string> found;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        const std::size_t blank = line.find(' ');
        if (blank != std::string::npos && line.compare(blank, 5, " 7.1 ") == 0) {
            found.push_back(line.substr(0, blank));
        }
        start = end + 1;
    }
    return found;
}

TEST_F(TrafficLogTest, WithSslThe101stEntryEmptiesTheFileFirst) {
    settings.ssl = 1;
    ASSERT_TRUE(log.open(path));
    const uint8_t byte[] = {0xC1};
    for (int i = 1; i <= 100; ++i) {
        log.writeEntry("E" + std::to_string(i), byte, 1);
        log.writeTextLine("step");  // text lines do not count
    }
    EXPECT_EQ(headers(contents()).size(), 100u);
    EXPECT_EQ(log.entryCounter(), 100);

    log.writeEntry("E101", byte, 1);
    EXPECT_EQ(headers(contents()), std::vector<std::string>{"E101"});
    EXPECT_EQ(log.entryCounter(), 0);

    // From then on the file holds at most 101 entries.
    for (int i = 102; i <= 201; ++i) {
        log.writeEntry("E" + std::to_string(i), byte, 1);
    }
    EXPECT_EQ(headers(contents()).size(), 101u);
    log.writeEntry("E202", byte, 1);
    EXPECT_EQ(headers(contents()), std::vector<std::string>{"E202"});

    // Diagnostic entries count as entries.
    log.setSessionLive(true);
    log.writeDiagnostic("D", byte, 1);
    EXPECT_EQ(log.entryCounter(), 1);
}

TEST_F(TrafficLogTest, SslCounterLivesForTheRunAcrossConnects) {
    settings.ssl = 1;
    const uint8_t byte[] = {0xC1};
    ASSERT_TRUE(log.openForConnect(path, true, ui));
    for (int i = 0; i < 60; ++i) {
        log.writeEntry(kTagSent, byte, 1);
    }
    ASSERT_TRUE(log.openForConnect(path, true, ui));
    EXPECT_EQ(log.entryCounter(), 60);
    for (int i = 0; i < 40; ++i) {
        log.writeEntry(kTagReceived, byte, 1);
    }
    EXPECT_EQ(headers(contents()).size(), 40u);
    log.writeEntry("NEXT", byte, 1);  // the 101st of the run, the 41st of this file
    EXPECT_EQ(headers(contents()), std::vector<std::string>{"NEXT"});
}

TEST_F(TrafficLogTest, WithoutSslTheFileIsNeverEmptied) {
    ASSERT_TRUE(log.open(path));
    const uint8_t byte[] = {0xC1};
    for (int i = 0; i < 250; ++i) {
        log.writeEntry(kTagSent, byte, 1);
    }
    EXPECT_EQ(headers(contents()).size(), 250u);
    EXPECT_EQ(log.entryCounter(), 0);
}

}  // namespace
}  // namespace kestrel
