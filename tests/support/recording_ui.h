// A UserInterface for tests: records every call as a line of text, so a test can
// compare the whole record ("message 32807", "beep 64", "repaint incremental").
#pragma once

#include <string>
#include <vector>

#include "platform/user_interface.h"

namespace kestrel::test_support {

class RecordingUi : public UserInterface {
  public:
    void showMessage(int number, MessageIcon icon) override {
        calls.push_back("message " + std::to_string(number));
        icons.push_back(icon);
    }
    void showText(const std::string& text, MessageIcon icon) override {
        calls.push_back("text " + text);
        icons.push_back(icon);
    }
    // Records the question and gives the queued answer, else the default one.
    Answer ask(int number, MessageIcon icon, Buttons, Answer defaultAnswer) override {
        calls.push_back("ask " + std::to_string(number));
        icons.push_back(icon);
        if (answers.empty()) {
            return defaultAnswer;
        }
        const Answer answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    void beep(MessageIcon type) override {
        calls.push_back("beep " + std::to_string(static_cast<unsigned>(type)));
    }
    void repaint(Repaint kind) override {
        calls.push_back(kind == Repaint::Full ? "repaint full" : "repaint incremental");
    }

    void setTitle(const std::string& title) override { calls.push_back("title " + title); }
    void startTimer(int id, int milliseconds) override {
        calls.push_back("start timer " + std::to_string(id) + " " + std::to_string(milliseconds));
    }
    void stopTimer(int id) override { calls.push_back("stop timer " + std::to_string(id)); }
    void postExit() override { calls.push_back("exit"); }

    std::vector<std::string> calls;
    std::vector<Answer> answers;     // given to the next questions, in order
    std::vector<MessageIcon> icons;  // of the messages, in order
};

}  // namespace kestrel::test_support
