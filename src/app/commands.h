// The terminal's commands: every menu item and toolbar button, by its fixed
// number, with its label and the prompt the status line shows for it. The
// menus are built from this table; the frame binds what each command does.
#pragma once

#include <span>

namespace kestrel {

namespace command {
inline constexpr int Connect = 32966;
inline constexpr int Disconnect = 32965;
inline constexpr int ConnectButton = 32771;
inline constexpr int DisconnectButton = 32777;
inline constexpr int Exit = 57665;
inline constexpr int ShowUnprotected = 32820;
inline constexpr int ResetTerminal = 32781;
inline constexpr int Toolbar = 59392;
inline constexpr int StatusBar = 59393;
inline constexpr int IgnoreBorder = 32861;
inline constexpr int ResetConfiguration = 32784;
inline constexpr int Typeahead = 32860;
inline constexpr int Bell = 32846;
inline constexpr int About = 57664;
inline constexpr int Pa1 = 32831;
inline constexpr int Pa2 = 32832;
inline constexpr int Pa3 = 32833;
inline constexpr int Dup = 32834;
inline constexpr int FieldMark = 32835;
inline constexpr int Clear = 32836;
inline constexpr int EraseInput = 32838;
inline constexpr int EraseField = 32840;
}  // namespace command

// One entry of a menu: a command, a separator (command 0, no label) or a
// submenu (command 0 with a label, its entries following up to the next
// entry with endSubmenu).
struct MenuEntry {
    int command = 0;
    const char* label = nullptr;
    bool endSubmenu = false;
};

struct Menu {
    const char* title;
    std::span<const MenuEntry> entries;
};

// The main menu, in order.
std::span<const Menu> mainMenu();

// The label of COMMAND in the menus, or of its toolbar button; nullptr when
// it has none.
const char* commandLabel(int command);
// The prompt shown in the status line while COMMAND is under the pointer.
const char* commandPrompt(int command);

}  // namespace kestrel
