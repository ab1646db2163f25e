#include "script_ui.h"

#include "platform/messages.h"

namespace kestrel {
namespace {

// A message stays on one answer line: line ends at its end are dropped and
// any inside become blanks.
std::string oneLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

}  // namespace

void ScriptUi::showMessage(int number, MessageIcon) {
    const char* text = messageText(number);
    lastMessage = oneLine(text ? text : "");
    out_ << "message: " << number << ' ' << lastMessage << '\n';
}

void ScriptUi::showText(const std::string& text, MessageIcon) {
    lastMessage = oneLine(text);
    out_ << "message: 0 " << lastMessage << '\n';
}

Answer ScriptUi::ask(int number, MessageIcon icon, Buttons, Answer defaultAnswer) {
    showMessage(number, icon);
    return defaultAnswer;
}

}  // namespace kestrel
