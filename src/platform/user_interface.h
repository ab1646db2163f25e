// The user-interface side of the platform, as the core sees it.
//
// The Qt application implements it with real windows; kestrel-script prints;
// tests record every call and compare the record.
#pragma once

#include <string>

namespace kestrel {

// Icons and beep types carry the values of the platform they came from, so a
// recorded call reads the same in every implementation.
enum class MessageIcon : unsigned {
    None = 0,
    Error = 0x10,        // MB_ICONHAND
    Question = 0x20,     // MB_ICONQUESTION
    Warning = 0x30,      // MB_ICONEXCLAMATION
    Information = 0x40,  // MB_ICONASTERISK
};

enum class Repaint { Incremental, Full };

enum class Buttons { OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };

class UserInterface {
  public:
    virtual ~UserInterface() = default;

    // Shows message NUMBER of the string table (see messages.h) and waits for
    // the user to close it.
    virtual void showMessage(int number, MessageIcon icon) = 0;
    // Shows a message whose text is not in the string table.
    virtual void showText(const std::string& text, MessageIcon icon) = 0;
    // Asks question NUMBER of the string table; DEFAULT is the answer that
    // Enter gives (and the one a terminal without a user takes).
    virtual Answer ask(int number, MessageIcon icon, Buttons buttons, Answer defaultAnswer) = 0;
    virtual void beep(MessageIcon type) = 0;
    virtual void repaint(Repaint kind) = 0;

    // The title of the session's window; empty when no session is up.
    virtual void setTitle(const std::string& title) = 0;
    // Starts (or restarts) the repeating timer ID; its ticks come back to the
    // terminal with the id.
    virtual void startTimer(int id, int milliseconds) = 0;
    virtual void stopTimer(int id) = 0;
    // Asks the application to close, as its Exit command does.
    virtual void postExit() = 0;
};

}  // namespace kestrel
