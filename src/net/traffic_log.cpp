// The traffic log: hex and character dump of socket traffic, with the entry
// counter that keeps an SSL session's log from growing without end.
#include "net/traffic_log.h"

#include <algorithm>
#include <array>

namespace kestrel {
namespace {

constexpr std::size_t kBytesPerLine = 16;

bool toLocalTime(std::time_t time, std::tm& out) {
#ifdef _WIN32
    return localtime_s(&out, &time) == 0;
#else
    return localtime_r(&time, &out) != nullptr;
#endif
}

// "%2.2x " of one byte.
void appendHex(std::string& out, uint8_t byte) {
    constexpr char kDigits[] = "0123456789abcdef";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
    out += ' ';
}

}  // namespace

std::string trafficLogTimestamp(std::time_t time) {
    // Spelled out rather than taken from strftime, whose names follow the locale.
    static constexpr std::array<const char*, 7> kDays = {"Sun", "Mon", "Tue", "Wed",
                                                         "Thu", "Fri", "Sat"};
    static constexpr std::array<const char*, 12> kMonths = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm t{};
    if (!toLocalTime(time, t) || t.tm_wday < 0 || t.tm_wday > 6 || t.tm_mon < 0 || t.tm_mon > 11) {
        return "??? ??? ?? ??:??:?? ????";
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d", kDays[t.tm_wday],
                  kMonths[t.tm_mon], t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, 1900 + t.tm_year);
    return text;
}

TrafficLog::TrafficLog(const Clock& clock, const CodePageTable& codePage, const Settings& settings)
    : clock_(clock), codePage_(codePage), settings_(settings) {}

TrafficLog::~TrafficLog() {
    close();
}

bool TrafficLog::open(const std::string& path) {
    close();
    path_ = path;
    // Text mode: line breaks follow the platform's convention for text files.
    file_ = std::fopen(path.c_str(), "w");
    return file_ != nullptr;
}

void TrafficLog::close() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

bool TrafficLog::openForConnect(const std::string& path, bool enabled, UserInterface& ui) {
    close();
    if (enabled) {
        open(path);
        ui.showMessage(kLogWarningMessage, MessageIcon::Information);
    }
    return isOpen();
}

void TrafficLog::writeEntry(std::string_view tag, const uint8_t* data, std::size_t length) {
    if (file_ == nullptr) {
        return;
    }
    if (settings_.ssl != 0 && ++entryCounter_ > kSslEntriesPerFile) {
        entryCounter_ = 0;
        if (!open(path_)) {
            return;
        }
    }

    std::string entry;
    entry.reserve(tag.size() + 40 + (length / kBytesPerLine + 1) * (kBytesPerLine * 4 + 5));
    entry.append(tag);
    entry += ' ';
    entry.append(kTrafficLogVersion);
    entry += ' ';
    entry += trafficLogTimestamp(clock_.now());
    entry += '\n';

    for (std::size_t start = 0; start < length; start += kBytesPerLine) {
        const std::size_t count = std::min(kBytesPerLine, length - start);
        for (std::size_t i = 0; i < count; ++i) {
            appendHex(entry, data[start + i]);
        }
        entry.append(3 * (kBytesPerLine - count), ' ');
        entry.append("    ");
        // Written as the table gives them, control characters included.
        for (std::size_t i = 0; i < count; ++i) {
            entry += static_cast<char>(codePage_.toAscii(data[start + i]));
        }
        entry += '\n';
    }
    entry += '\n';
    write(entry);
}

void TrafficLog::writeDiagnostic(std::string_view tag, const uint8_t* data, std::size_t length) {
    if (sessionLive_) {
        writeEntry(tag, data, length);
    }
}

void TrafficLog::writeTextLine(std::string_view text) {
    if (file_ == nullptr) {
        return;
    }
    std::string line(text);
    line += '\n';
    write(line);
}

void TrafficLog::write(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), file_);
    std::fflush(file_);
}

}  // namespace kestrel
