// The user interface of the headless terminal: message boxes become lines
// "message: NUMBER TEXT" on standard output, answered with their default button.
#pragma once

#include <ostream>
#include <string>

#include "platform/user_interface.h"

namespace kestrel {

class ScriptUi : public UserInterface {
  public:
    explicit ScriptUi(std::ostream& out) : out_(out) {}

    void showMessage(int number, MessageIcon icon) override;
    void showText(const std::string& text, MessageIcon icon) override;
    Answer ask(int number, MessageIcon icon, Buttons buttons, Answer defaultAnswer) override;
    void beep(MessageIcon) override {}
    void repaint(Repaint) override {}

  private:
    std::ostream& out_;
};

}  // namespace kestrel
