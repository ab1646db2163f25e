// The user interface of the desktop terminal: message boxes over the main
// window, the system beep, repaint requests to the view, the session title to
// the document, the numbered timers, and Exit as a close of the window.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/user_interface.h"
#include "qtcore/qt_timers.h"

namespace kestrel {

class DesktopUi : public UserInterface {
  public:
    // WINDOW parents the message boxes; it is asked to close on Exit.
    void setWindow(QWidget* window) { window_ = window; }
    void setRepaintHandler(std::function<void(Repaint)> handler) { repaint_ = std::move(handler); }
    void setTitleHandler(std::function<void(const std::string&)> handler) {
        title_ = std::move(handler);
    }
    void setTimerHandler(std::function<void(int)> handler) {
        timers_.setHandler(std::move(handler));
    }

    void showMessage(int number, MessageIcon icon) override;
    void showText(const std::string& text, MessageIcon icon) override;
    Answer ask(int number, MessageIcon icon, Buttons buttons, Answer defaultAnswer) override;
    void beep(MessageIcon type) override;
    void repaint(Repaint kind) override;
    void setTitle(const std::string& title) override;
    void startTimer(int id, int milliseconds) override { timers_.start(id, milliseconds); }
    void stopTimer(int id) override { timers_.stop(id); }
    void postExit() override;

  private:
    QPointer<QWidget> window_;
    std::function<void(Repaint)> repaint_;
    std::function<void(const std::string&)> title_;
    QtTimers timers_;
};

}  // namespace kestrel
