#include "script_ui.h"

#include "platform/messages.h"

namespace kestrel {

void ScriptUi::showMessage(int number, MessageIcon) {
    const char* text = messageText(number);
    out_ << "message: " << number << ' ' << (text ? text : "") << '\n';
}

void ScriptUi::showText(const std::string& text, MessageIcon) {
    out_ << "message: 0 " << text << '\n';
}

Answer ScriptUi::ask(int number, MessageIcon icon, Buttons, Answer defaultAnswer) {
    showMessage(number, icon);
    return defaultAnswer;
}

}  // namespace kestrel
