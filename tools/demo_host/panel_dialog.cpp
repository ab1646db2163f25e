#include "demo_host/panel_dialog.h"

#include <utility>

#include "demo_host/panels.h"

namespace kestrel::demo_host {

namespace {

std::string upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// The text of the field at ADDRESS, at most LENGTH characters, or "" when the
// client did not send it.
std::string fieldText(const InboundRecord& record, int address, size_t length) {
    return record.field(address).value_or("").substr(0, length);
}

}  // namespace

std::string_view panelName(Panel panel) {
    switch (panel) {
        case Panel::Logon:
            return "LOGON";
        case Panel::Menu:
            return "MENU";
        case Panel::Echo:
            return "ECHO";
        case Panel::Status:
            return "STATUS";
        case Panel::Goodbye:
            return "GOODBYE";
    }
    return "?";
}

PanelDialog::PanelDialog(int rows, std::string terminalType, std::string queryReply,
                         std::function<std::time_t()> wallClock)
    : rows_(rows),
      terminalType_(std::move(terminalType)),
      queryReply_(std::move(queryReply)),
      wallClock_(std::move(wallClock)) {}

DialogReply PanelDialog::start() {
    return show(Panel::Logon);
}

DialogReply PanelDialog::show(Panel panel, std::string_view message) {
    panel_ = panel;
    DialogReply reply;
    reply.event = "panel " + std::string(panelName(panel));
    if (!message.empty()) {
        reply.event += " with message " + std::string(message);
    }
    switch (panel) {
        case Panel::Logon:
            reply.record = logonPanel(rows_, message);
            break;
        case Panel::Menu:
            reply.record = menuPanel(rows_, user_, message);
            break;
        case Panel::Echo:
            reply.record = echoPanel(rows_, showEcho_, echoed_);
            break;
        case Panel::Status:
            reply.record = statusPanel({user_, terminalType_, rows_, queryReply_, wallClock_()});
            break;
        case Panel::Goodbye:
            reply.record = goodbyePanel(rows_, user_);
            reply.close = true;
            break;
    }
    return reply;
}

DialogReply PanelDialog::message(std::string_view text) {
    return {messageUpdate(rows_, text), "message " + std::string(text)};
}

DialogReply PanelDialog::logon(const InboundRecord& record) {
    const std::string user = trimmed(fieldText(record, kUseridAddress, kLogonFieldLength));
    const std::string password = trimmed(fieldText(record, kPasswordAddress, kLogonFieldLength));
    if (user.empty()) {
        return show(Panel::Logon, kUseridRequired);
    }
    if (upper(password) != "DEMO") {
        DialogReply reply = show(Panel::Logon, kInvalidPassword);
        reply.event += " (user " + user + ")";
        return reply;
    }
    user_ = user;
    DialogReply reply = show(Panel::Menu);
    reply.event += " (user " + user + " logged on)";
    return reply;
}

DialogReply PanelDialog::menuOption(const InboundRecord& record) {
    const std::string option = trimmed(fieldText(record, kOptionAddress, kOptionLength));
    int number = option.empty() ? -1 : 0;
    for (char c : option) {
        number = c >= '0' && c <= '9' && number >= 0 ? number * 10 + (c - '0') : -1;
    }
    switch (number) {
        case 1:
            showEcho_ = false;
            echoed_.clear();
            return show(Panel::Echo);
        case 2:
            return show(Panel::Status);
        case 3:
            return show(Panel::Goodbye);
        default:
            return message(kInvalidOption);
    }
}

DialogReply PanelDialog::handle(const InboundRecord& record) {
    const uint8_t aid = record.aid;
    if (panel_ == Panel::Goodbye || aid == kAidStructuredField || aid == kAidNone) {
        return {};
    }
    if (aid == kAidClear) {
        return show(panel_);  // the client has cleared its screen: draw it again
    }
    if (isPaKey(aid)) {
        return message(kPaKeyIgnored);
    }
    const bool enter = aid == kAidEnter;
    const bool pf3 = aid == kAidPf3;
    switch (panel_) {
        case Panel::Logon:
            if (enter) {
                return logon(record);
            }
            break;
        case Panel::Menu:
            if (enter) {
                return menuOption(record);
            }
            if (pf3) {
                user_.clear();
                return show(Panel::Logon);
            }
            break;
        case Panel::Echo:
            if (enter) {
                showEcho_ = true;
                echoed_ = fieldText(record, kEchoAddress, kEchoLength);
                return show(Panel::Echo);
            }
            if (pf3) {
                return show(Panel::Menu);
            }
            break;
        case Panel::Status:
            if (enter) {
                return show(Panel::Status);
            }
            if (pf3) {
                return show(Panel::Menu);
            }
            break;
        case Panel::Goodbye:
            break;
    }
    return message(kKeyNotActive);
}

}  // namespace kestrel::demo_host
