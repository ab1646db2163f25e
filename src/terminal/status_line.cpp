#include "terminal/status_line.h"

namespace kestrel {

const std::array<const char*, 6> kStatusPaneSizingTexts = {
    "", "OFFLINE             ", "X - WRONG INPUT", "RECORD", "00  00", "X - PROG ERROR"};

std::array<std::string, 6> StatusLine::update(Terminal& terminal, UserInterface& ui) {
    std::array<std::string, 6> panes = terminal.statusPanes();
    const bool wrongInput = panes[2] == "X - WRONG INPUT";
    if (wrongInput && !wrongInputShown_ && terminal.settings.bell) {
        ui.beep(MessageIcon::Information);
    }
    wrongInputShown_ = wrongInput;
    return panes;
}

}  // namespace kestrel
