#include "script_ui.h"

#include "platform/messages.h"

namespace kestrel {

void ScriptUi::showMessage(int number, MessageIcon) {
    const char* text = messageText(number);
    out_ << "message: " << number << ' ' << (text ? text : "") << '\n';
}

}  // namespace kestrel
