// The status line's idle update: the six pane texts of the terminal, and the
// one beep when the keyboard pane turns to "X - WRONG INPUT".
#pragma once

#include <array>
#include <string>

#include "platform/user_interface.h"
#include "terminal/terminal.h"

namespace kestrel {

class StatusLine {
  public:
    // The panes as they are to be shown now; pane 0 (the prompts) is left to
    // the frame. Sounds the bell when the input-error text appears and the
    // bell is on; it sounds again only after the text has gone.
    std::array<std::string, 6> update(Terminal& terminal, UserInterface& ui);

  private:
    bool wrongInputShown_ = false;
};

// The widest text of each pane, which sets its width (pane 0 stretches).
extern const std::array<const char*, 6> kStatusPaneSizingTexts;

}  // namespace kestrel
