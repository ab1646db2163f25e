// The demo host's screens as 3270 records. A 24-row terminal gets Erase/Write,
// a 32-row terminal Erase/Write Alternate; both get the same layout, with the
// message line and the key legend on the last two rows.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "demo_host/screen_builder.h"

namespace kestrel::demo_host {

// Where the data of each input field starts (the address after its attribute),
// and its length.
inline constexpr int kUseridAddress = 4 * kColumns + 15;
inline constexpr int kPasswordAddress = 5 * kColumns + 15;
inline constexpr int kLogonFieldLength = 8;
inline constexpr int kOptionAddress = 8 * kColumns + 13;
inline constexpr int kOptionLength = 2;
inline constexpr int kEchoAddress = 4 * kColumns + 12;
inline constexpr int kEchoLength = 60;

// The message line is the last row but one; messages start in its column 1.
constexpr int messageRow(int rows) {
    return rows - 2;
}
inline constexpr size_t kMessageLength = 78;

struct StatusInfo {
    std::string user;
    std::string terminalType;
    int rows = 24;
    std::string queryReply;  // what the client's query reply said, or "NOT RECEIVED"
    std::time_t time = 0;
};

std::vector<uint8_t> logonPanel(int rows, std::string_view message);
std::vector<uint8_t> menuPanel(int rows, std::string_view user, std::string_view message);
// ECHOED is shown as "YOU TYPED: ..." unless SHOW_ECHO is false.
std::vector<uint8_t> echoPanel(int rows, bool showEcho, std::string_view echoed);
std::vector<uint8_t> statusPanel(const StatusInfo& status);
// Leaves the keyboard locked: the connection closes after it.
std::vector<uint8_t> goodbyePanel(int rows, std::string_view user);
// A Write that replaces the message line and leaves the rest of the screen,
// the cursor and the modified fields as they are.
std::vector<uint8_t> messageUpdate(int rows, std::string_view message);
// Write Structured Field, Read Partition Query.
std::vector<uint8_t> readPartitionQuery();

}  // namespace kestrel::demo_host
