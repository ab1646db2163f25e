// The user interface of the headless terminal: message boxes become lines
// "message: NUMBER TEXT" on standard output, answered with their default
// button; timers run on the Qt event loop.
#pragma once

#include <ostream>
#include <string>

#include "platform/user_interface.h"
#include "qtcore/qt_timers.h"

namespace kestrel {

class ScriptUi : public UserInterface {
  public:
    explicit ScriptUi(std::ostream& out) : out_(out) {}

    void showMessage(int number, MessageIcon icon) override;
    void showText(const std::string& text, MessageIcon icon) override;
    Answer ask(int number, MessageIcon icon, Buttons buttons, Answer defaultAnswer) override;
    void beep(MessageIcon) override {}
    void repaint(Repaint) override {}
    void setTitle(const std::string&) override {}
    void startTimer(int id, int milliseconds) override { timers.start(id, milliseconds); }
    void stopTimer(int id) override { timers.stop(id); }
    void postExit() override { exitRequested = true; }

    QtTimers timers;
    // The text of the last message shown, for the answer of the command that
    // caused it.
    std::string lastMessage;
    bool exitRequested = false;

  private:
    std::ostream& out_;
};

}  // namespace kestrel
