#include "demo_host/panels.h"

namespace kestrel::demo_host {

namespace {

constexpr uint8_t kFullScreenWcc = kWccReset | kWccKeyboardRestore | kWccResetModified;

ScreenBuilder panelStart(int rows, std::string_view title, uint8_t wcc = kFullScreenWcc) {
    ScreenBuilder b(rows > 24 ? kEraseWriteAlternate : kEraseWrite, wcc);
    b.at(0, 0).fieldExtended(kProtected | kIntensified, kTurquoise);
    b.text("KESTREL DEMO HOST - ").text(title);
    b.at(1, 0).field(kProtected);
    return b;
}

std::string_view clipped(std::string_view text, size_t length) {
    return text.substr(0, length);
}

std::vector<uint8_t> panelEnd(ScreenBuilder& b, int rows, std::string_view message,
                              std::string_view legend) {
    b.at(messageRow(rows), 0).fieldExtended(kProtected | kIntensified, kRed);
    b.text(clipped(message, kMessageLength));
    b.at(rows - 1, 0).fieldExtended(kProtected, kBlue).text(legend);
    return b.bytes();
}

// An input field at ROW, COLUMN (its attribute one column before), ended by an
// autoskip attribute.
void inputField(ScreenBuilder& b, int row, int column, int length, uint8_t attribute, bool cursor) {
    b.at(row, column - 1).fieldExtended(attribute, kGreen, kUnderscore);
    if (cursor) {
        b.cursor();
    }
    b.at(row, column + length).field(kAutoskip);
}

int column(int address) {
    return address % kColumns;
}
int row(int address) {
    return address / kColumns;
}

}  // namespace

std::vector<uint8_t> logonPanel(int rows, std::string_view message) {
    ScreenBuilder b = panelStart(rows, "LOGON");
    b.at(2, 1).text("ENTER YOUR USERID AND PASSWORD, THEN PRESS ENTER.");
    b.at(row(kUseridAddress), 1).text("USERID   ===>");
    inputField(b, row(kUseridAddress), column(kUseridAddress), kLogonFieldLength, 0, true);
    b.at(row(kPasswordAddress), 1).text("PASSWORD ===>");
    inputField(b, row(kPasswordAddress), column(kPasswordAddress), kLogonFieldLength, kNonDisplay,
               false);
    b.at(7, 1).text("ANY USERID IS ACCEPTED; THE PASSWORD IS ");
    b.colour(kYellow).text("DEMO").resetAttributes().text(".");
    return panelEnd(b, rows, message, "ENTER=LOGON");
}

std::vector<uint8_t> menuPanel(int rows, std::string_view user, std::string_view message) {
    ScreenBuilder b = panelStart(rows, "MAIN MENU");
    b.at(2, 1).text("LOGGED ON AS ").text(user);
    b.at(4, 3).text("1  ECHO      TYPE A LINE AND SEE IT ECHOED");
    b.at(5, 3).text("2  STATUS    SHOW YOUR USERID AND THE TIME");
    b.at(6, 3).text("3  LOGOFF    END THE SESSION");
    b.at(row(kOptionAddress), 1).text("OPTION ===>");
    inputField(b, row(kOptionAddress), column(kOptionAddress), kOptionLength, kNumeric, true);
    return panelEnd(b, rows, message, "ENTER=SELECT  PF3=LOGON PANEL");
}

std::vector<uint8_t> echoPanel(int rows, bool showEcho, std::string_view echoed) {
    ScreenBuilder b = panelStart(rows, "ECHO");
    b.at(2, 1).text("TYPE SOME TEXT AND PRESS ENTER.");
    b.at(row(kEchoAddress), 1).text("TEXT ===>");
    inputField(b, row(kEchoAddress), column(kEchoAddress), kEchoLength, 0, true);
    if (showEcho) {
        b.at(6, 1).text("YOU TYPED: ").text(clipped(echoed, kEchoLength));
    }
    return panelEnd(b, rows, "", "ENTER=ECHO  PF3=MENU");
}

std::vector<uint8_t> statusPanel(const StatusInfo& status) {
    ScreenBuilder b = panelStart(status.rows, "STATUS");
    char time[32] = "";
    std::tm utc{};
    if (gmtime_r(&status.time, &utc) != nullptr) {
        std::strftime(time, sizeof time, "%Y-%m-%d %H:%M:%S", &utc);
    }
    b.at(2, 1).text("USERID        ").text(status.user);
    b.at(3, 1).text("TERMINAL      ").text(clipped(status.terminalType, 60));
    b.at(4, 1).text("SCREEN        ").text(std::to_string(status.rows) + " ROWS, 80 COLUMNS");
    b.at(5, 1).text("QUERY REPLY   ").text(clipped(status.queryReply, 60));
    b.at(6, 1).text("TIME (UTC)    ").text(time);
    return panelEnd(b, status.rows, "", "ENTER=REFRESH  PF3=MENU");
}

std::vector<uint8_t> goodbyePanel(int rows, std::string_view user) {
    ScreenBuilder b = panelStart(rows, "LOGOFF", kWccReset | kWccResetModified);
    b.at(2, 1).text("GOODBYE, ").text(user).text(". YOUR SESSION HAS ENDED.");
    return b.bytes();
}

std::vector<uint8_t> messageUpdate(int rows, std::string_view message) {
    ScreenBuilder b(kWrite, kWccReset | kWccKeyboardRestore);
    const std::string_view text = clipped(message, kMessageLength);
    b.at(messageRow(rows), 1).text(text);
    // Nulls up to the end of the row; the text never reaches it, so the stop
    // address is never the current one (which would fill the whole buffer).
    b.repeatTo(rows - 1, 0, 0x00);
    return b.bytes();
}

std::vector<uint8_t> readPartitionQuery() {
    return {kWriteStructuredField, 0x00, 0x05, 0x01, 0xFF, 0x02};
}

}  // namespace kestrel::demo_host
