// The traffic log: every block of bytes that passes the socket, written to a
// text file as a timed hex and character dump, plus the diagnostic entries and
// text lines of the SSL layers.
//
// An entry is a header line "<tag> 7.1 <date and time>", then 16 bytes a line
// as two hex digits and a blank each, four blanks and the same bytes as
// characters through the EBCDIC-to-ASCII table, then an empty line. Each entry
// is flushed as soon as it is written, so a crash loses nothing that was logged.
//
// The log records every keystroke sent to the host, passwords included; that
// is why the session shows a warning whenever it opens the log at a connect.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <span>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "mapping/code_page_table.h"
#include "platform/clock.h"
#include "platform/user_interface.h"

namespace kestrel {

inline constexpr std::string_view kTrafficLogVersion = "7.1";

// The tags of the socket's own entries.
inline constexpr std::string_view kTagSent = "PC";
inline constexpr std::string_view kTagReceived = "IBM";

// While the setting ssl is on, the file is emptied before every entry that
// takes the run's entry count above this number.
inline constexpr int kSslEntriesPerFile = 100;

// Message shown at every connect while logging is enabled.
inline constexpr int kLogWarningMessage = 32853;

// The 24-character timestamp of the header line, as the C library's asctime
// lays it out ("Thu Dec 10 06:12:58 2026", the day padded with a blank to two
// characters), in local time. The names are always English, whatever the
// locale. A time the C library cannot convert gives "??? ??? ?? ??:??:?? ????".
std::string trafficLogTimestamp(std::time_t time);

class TrafficLog {
  public:
    // The log reads CLOCK for the header, CODE_PAGE for the character column and
    // the setting ssl of SETTINGS for the entry counter, each at the time of
    // writing; all three must outlive it.
    TrafficLog(const Clock& clock, const CodePageTable& codePage, const Settings& settings);
    ~TrafficLog();
    TrafficLog(const TrafficLog&) = delete;
    TrafficLog& operator=(const TrafficLog&) = delete;

    // Opens PATH for writing, emptied; an open log file is closed first. When
    // the file cannot be opened there is no log and entries are skipped
    // silently; returns whether the log is open.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return file_ != nullptr; }

    // The log at a connect: an open log file is closed; when ENABLED, PATH is
    // opened emptied and message 32853 is shown with the information icon —
    // shown even when the file cannot be opened. Returns whether the log is open.
    bool openForConnect(const std::string& path, bool enabled, UserInterface& ui);

    // One entry of LENGTH bytes under TAG. Does nothing when no log is open.
    // While the setting ssl is on, the entry first counts towards the run's
    // entry counter (see kSslEntriesPerFile).
    void writeEntry(std::string_view tag, const uint8_t* data, std::size_t length);
    void writeEntry(std::string_view tag, std::span<const uint8_t> bytes) {
        writeEntry(tag, bytes.data(), bytes.size());
    }

    // The SSL layers' entries: as writeEntry, but only while the session is
    // live (see setSessionLive).
    void writeDiagnostic(std::string_view tag, const uint8_t* data, std::size_t length);
    void writeDiagnostic(std::string_view tag, std::span<const uint8_t> bytes) {
        writeDiagnostic(tag, bytes.data(), bytes.size());
    }

    // The session reports here whether a socket exists and it is connected;
    // false until the first call.
    void setSessionLive(bool live) { sessionLive_ = live; }
    bool sessionLive() const { return sessionLive_; }

    // TEXT and a line break, flushed at once. Does nothing when no log is open;
    // does not count as an entry.
    void writeTextLine(std::string_view text);

    // The entries counted so far in this run while ssl was on (0 to 100).
    int entryCounter() const { return entryCounter_; }

  private:
    void write(const std::string& text);

    const Clock& clock_;
    const CodePageTable& codePage_;
    const Settings& settings_;
    std::FILE* file_ = nullptr;
    std::string path_;
    int entryCounter_ = 0;  // lives for the run; a reopen at connect keeps it
    bool sessionLive_ = false;
};

}  // namespace kestrel
