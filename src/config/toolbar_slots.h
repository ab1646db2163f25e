// The toolbar's catalogue of 34 button slots and their arrangement: which slots
// are on the toolbar, in which order, and with which text; loaded from and saved
// to the settings store. The Qt toolbar and its customisation dialog are built
// from this model and report their changes back to it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "config/settings_store.h"
#include "platform/user_interface.h"

namespace kestrel {

inline constexpr int kToolbarSlotCount = 34;
// A slot without a command: it is never offered and never shown.
inline constexpr int kReservedToolbarSlot = 30;
// Slots 15..24 play the macros ALT 0 .. ALT 9.
inline constexpr int kFirstMacroToolbarSlot = 15;
inline constexpr int kMacroToolbarSlotCount = 10;
// The stored form of a button text holds 80 bytes with its terminator, so a
// text read from the store (or a title set by the user) is cut to 79 bytes.
inline constexpr std::size_t kToolbarTextLimit = 79;

// The text shown when the stored arrangement is inconsistent.
inline constexpr const char* kToolbarRegistryError =
    "Registry error for the toolbar. Default toolbar will be used";

struct ToolbarSlot {
    int command = 0;    // sent when the button is pressed; 0 for the reserved slot
    bool used = false;  // the button is on the toolbar
    int position = 0;   // index on the toolbar (used) or in the customisation list
    bool defaultUsed = false;
    int defaultPosition = 0;
    std::string text;  // shown right of the icon; at most kToolbarTextLimit bytes
};

// One button of the toolbar to build. The slot number is also the index of the
// button's icon in the icon strips.
struct ToolbarButton {
    int slot = 0;
    int command = 0;
    std::string text;

    bool operator==(const ToolbarButton&) const = default;
};

// What the customisation dialog offers at one index of its list.
struct ToolbarButtonInfo {
    // False for the reserved slot: nothing is offered at this index, but the
    // list goes on.
    bool offered = true;
    int slot = 0;
    int command = 0;
    // The slot's text, or empty when it does not fit the caller's buffer.
    std::string text;
};

// The 34 slots. Every public operation leaves the positions a permutation of
// 0..33 with every used slot ahead of every unused one, so the used slots hold
// positions 0..(number used - 1).
class ToolbarSlots {
  public:
    // Every slot at its factory state, texts empty.
    ToolbarSlots();

    const std::array<ToolbarSlot, kToolbarSlotCount>& entries() const { return slots_; }

    // Reads the arrangement from SECTION of STORE (the section the rest of the
    // configuration is read from). Old-style keys of a configuration that has
    // never stored the new table are first converted, and the new keys written
    // to SECTION. A missing value keeps the slot's factory value; a non-empty
    // stored text replaces the slot's text. If the stored positions are not a
    // permutation of 0..33, tells the user once and falls back to the factory
    // arrangement (texts are kept). Otherwise used slots are moved ahead of
    // unused ones.
    void load(SettingsStore& store, const std::string& section, UserInterface& ui);

    // Takes the arrangement from the toolbar, BUTTON_COMMANDS being the command
    // of each button in toolbar order, and writes used, position and text of
    // all 34 slots to SECTION. A command that belongs to no slot (a separator
    // is 0) is skipped, so the buttons close up; a command met a second time
    // counts only where it is first met.
    void save(SettingsStore& store, const std::string& section,
              const std::vector<int>& buttonCommands);

    // Every slot's used flag and position back to the factory values; texts
    // stay.
    void reset();

    // The buttons of the toolbar: the used slots in position order.
    std::vector<ToolbarButton> buttons() const;

    // The customisation dialog's entry at INDEX: the slot whose position is
    // INDEX, with its text only when the text and its terminator fit strictly
    // inside a buffer of BUFFER_SIZE bytes (length + 1 < BUFFER_SIZE). Nothing
    // when no slot has that position: the list ends there.
    std::optional<ToolbarButtonInfo> buttonInfo(int index, std::size_t bufferSize) const;

    // The slot whose button sends COMMAND, or -1. The reserved slot belongs to
    // no command.
    int slotForCommand(int command) const;

    // Puts macro MACRO (0..9) on the toolbar with TITLE as its text, after the
    // buttons already there. Returns false, changing nothing, for any other
    // MACRO.
    bool setMacroButton(int macro, const std::string& title);

  private:
    bool positionsArePermutation() const;
    void moveUsedAhead();

    std::array<ToolbarSlot, kToolbarSlotCount> slots_;
};

}  // namespace kestrel
