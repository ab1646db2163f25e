#include "app/commands.h"

#include <array>

#include "platform/messages.h"

namespace kestrel {
namespace {

constexpr MenuEntry kSeparator{};
constexpr MenuEntry submenu(const char* label) {
    return {0, label, false};
}
constexpr MenuEntry kEndSubmenu{0, nullptr, true};

constexpr MenuEntry kFile[] = {
    {32966, "&Connect..."},     {32965, "&Disconnect"},   kSeparator, {32811, "&Print Screen..."},
    {57606, "P&rint Setup..."}, {57612, "&Send as mail"}, kSeparator, {57665, "E&xit"},
};

constexpr MenuEntry kEdit[] = {
    {32850, "Select &All"},
    {32967, "C&ut"},
    {32968, "C&opy"},
    {32969, "&Paste"},
    {32851, "App&end"},
    kSeparator,
    {32852, "&Table format"},
    {32820, "Show &Unprotected"},
    {32781, "&Reset Terminal"},
    {189, "Paste in Excel CSV format"},
    {32844, "&Ctrl key as double key"},
};

constexpr MenuEntry kView[] = {
    {59392, "&Toolbar"},
    {59393, "&Status Bar"},
    {32861, "&Ignore border"},
};

constexpr MenuEntry kSettings[] = {
    {32776, "&Font..."},
    submenu("&Colors"),
    {32772, "B&ackground Color..."},
    {32826, "Color &Fields..."},
    {32773, "&Cursor Color..."},
    {32843, "Color &Select..."},
    {32821, "Color &Red..."},
    {32822, "Color &Blue..."},
    {32823, "Color &Green..."},
    {32824, "Color &Turquoise..."},
    {32825, "Color &White..."},
    {32827, "Color &Yellow..."},
    {32828, "Color &Pink..."},
    kEndSubmenu,
    {32893, "Too&lbar..."},
    {32783, "&Proxy Configuration..."},
    {32854, "Aut&o Login...."},
    {32784, "&Reset Configuration..."},
    {32810, "L&anguage..."},
    submenu("Pri&nter..."),
    {32814, "&Printer Font..."},
    {188, "P&rinter Margins..."},
    kEndSubmenu,
    {32860, "T&ypeahead"},
    {32830, "&Termtype..."},
    {32841, "&Log Traffic..."},
    {32845, "&Keyboard Layout..."},
    {32846, "&Bell"},
    {32847, "&Ebcdic Translation..."},
    {32849, "C&ursor..."},
    submenu("Recor&d..."),
    {32882, "ALT 0"},
    {32883, "ALT 1"},
    {32884, "ALT 2"},
    {32885, "ALT 3"},
    {32886, "ALT 4"},
    {32887, "ALT 5"},
    {32888, "ALT 6"},
    {32889, "ALT 7"},
    {32890, "ALT 8"},
    {32891, "ALT 9"},
    kEndSubmenu,
};

constexpr MenuEntry kHelp[] = {
    {32819, "&Help Topics"},
    {32842, "&Keyboard Mapping"},
    {32963, "About Windows Vista..."},
    {57664, "&About Lyrn tn3270"},
};

constexpr Menu kMenus[] = {
    {"&File", kFile},         {"&Edit", kEdit}, {"&View", kView},
    {"&Settings", kSettings}, {"&Help", kHelp},
};

struct CommandText {
    int command;
    const char* label;   // of a toolbar-only command
    const char* prompt;  // when the string table has none
};

// Toolbar commands without a menu item, and the prompts of the commands.
constexpr CommandText kTexts[] = {
    {32771, "Connect", "Connect to an IBM host"},
    {32777, "Disconnect", "Close the session with the host"},
    {32966, nullptr, "Connect to an IBM host"},
    {32965, nullptr, "Close the session with the host"},
    {57635, "Cut", "Cut the selection to the clipboard"},
    {57634, "Copy", "Copy the selection to the clipboard"},
    {57637, "Paste", "Paste the clipboard into the fields"},
    {57607, "Print", "Print the screen"},
    {32811, nullptr, "Print the screen"},
    {57665, nullptr, "Quit the terminal"},
    {32820, nullptr, "Mark the unprotected fields with the field colour"},
    {32781, nullptr, "Unlock the keyboard"},
    {59392, nullptr, "Show or hide the toolbar"},
    {59393, nullptr, "Show or hide the status bar"},
    {32860, nullptr, "Keep keys typed while the host is busy for its next screen"},
    {32846, nullptr, "Sound the bell on input errors and host alarms"},
    {57664, nullptr, "Program name and version"},
    {32831, "PA1", "Send the PA1 key"},
    {32832, "PA2", "Send the PA2 key"},
    {32833, "PA3", "Send the PA3 key"},
    {32834, "Dup", "Duplicate: the DUP character, then to the next field"},
    {32835, "Field Mark", "The Field Mark character"},
    {32836, "Clear", "Clear the screen and tell the host"},
    {32838, "Erase Input", "Erase every unprotected field"},
    {32840, "Erase Field", "Erase to End of Field"},
    {32871, "ALT 0", "Play the macro ALT 0"},
    {32872, "ALT 1", "Play the macro ALT 1"},
    {32873, "ALT 2", "Play the macro ALT 2"},
    {32874, "ALT 3", "Play the macro ALT 3"},
    {32875, "ALT 4", "Play the macro ALT 4"},
    {32876, "ALT 5", "Play the macro ALT 5"},
    {32877, "ALT 6", "Play the macro ALT 6"},
    {32878, "ALT 7", "Play the macro ALT 7"},
    {32879, "ALT 8", "Play the macro ALT 8"},
    {32880, "ALT 9", "Play the macro ALT 9"},
};

const CommandText* findText(int command) {
    for (const CommandText& text : kTexts) {
        if (text.command == command) {
            return &text;
        }
    }
    return nullptr;
}

}  // namespace

std::span<const Menu> mainMenu() {
    return kMenus;
}

const char* commandLabel(int command) {
    for (const Menu& menu : kMenus) {
        for (const MenuEntry& entry : menu.entries) {
            if (entry.command == command && entry.command != 0) {
                return entry.label;
            }
        }
    }
    const CommandText* text = findText(command);
    return text ? text->label : nullptr;
}

const char* commandPrompt(int command) {
    if (const char* prompt = messageText(command)) {
        return prompt;
    }
    const CommandText* text = findText(command);
    return text ? text->prompt : nullptr;
}

}  // namespace kestrel
