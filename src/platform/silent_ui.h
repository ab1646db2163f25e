// A user interface that shows nothing and answers every question with its
// default: for benchmarks and fuzz targets, where nobody is looking.
#pragma once

#include "platform/user_interface.h"

namespace kestrel {

class SilentUi : public UserInterface {
  public:
    void showMessage(int, MessageIcon) override {}
    void showText(const std::string&, MessageIcon) override {}
    Answer ask(int, MessageIcon, Buttons, Answer answer) override { return answer; }
    void beep(MessageIcon) override {}
    void repaint(Repaint) override {}
    void setTitle(const std::string&) override {}
    void startTimer(int, int) override {}
    void stopTimer(int) override {}
    void postExit() override {}
};

}  // namespace kestrel
