// The dialog a logged-on client goes through: logon, menu, echo, status and
// logoff. Takes the client's parsed records and answers with the next screen
// or a message.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "demo_host/inbound_record.h"

namespace kestrel::demo_host {

enum class Panel { Logon, Menu, Echo, Status, Goodbye };

std::string_view panelName(Panel panel);

// Messages on the message line.
inline constexpr std::string_view kInvalidPassword = "INVALID PASSWORD";
inline constexpr std::string_view kUseridRequired = "ENTER A USERID";
inline constexpr std::string_view kInvalidOption = "INVALID OPTION";
inline constexpr std::string_view kPaKeyIgnored = "PA KEY IGNORED";
inline constexpr std::string_view kKeyNotActive = "KEY NOT ACTIVE";

struct DialogReply {
    std::vector<uint8_t> record;  // empty: nothing to send
    std::string event;            // for the log: "panel MENU", "message INVALID OPTION"
    bool close = false;           // end the session once the record is sent
};

class PanelDialog {
  public:
    PanelDialog(int rows, std::string terminalType, std::string queryReply,
                std::function<std::time_t()> wallClock);

    // The logon panel.
    DialogReply start();
    DialogReply handle(const InboundRecord& record);

    Panel panel() const { return panel_; }
    const std::string& user() const { return user_; }

  private:
    DialogReply show(Panel panel, std::string_view message = {});
    DialogReply message(std::string_view text);
    DialogReply logon(const InboundRecord& record);
    DialogReply menuOption(const InboundRecord& record);

    int rows_;
    std::string terminalType_;
    std::string queryReply_;
    std::function<std::time_t()> wallClock_;
    Panel panel_ = Panel::Logon;
    std::string user_;
    bool showEcho_ = false;
    std::string echoed_;
};

}  // namespace kestrel::demo_host
