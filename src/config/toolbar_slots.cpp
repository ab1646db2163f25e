// The toolbar slot catalogue with its factory arrangement, and the reading,
// checking and writing of the arrangement in the settings store.
#include "config/toolbar_slots.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace kestrel {
namespace {

struct SlotDefault {
    int command;
    bool used;
    int position;
};

// In slot order; the slot number is also the icon's index in the icon strips.
// clang-format off
constexpr std::array<SlotDefault, kToolbarSlotCount> kSlotDefaults = {{
    {32771, true, 0},    // Connect
    {32777, true, 1},    // Disconnect
    {57635, true, 2},    // Cut
    {57634, true, 3},    // Copy
    {57637, true, 4},    // Paste
    {32811, true, 5},    // Print Screen
    {57664, true, 6},    // About
    {57612, false, 24},  // Send as mail
    {32831, true, 7},    // PA1
    {32832, true, 8},    // PA2
    {32833, true, 9},    // PA3
    {32834, true, 10},   // Dup
    {32836, true, 11},   // Clear
    {32838, true, 12},   // Erase input
    {32840, true, 13},   // Erase field
    {32871, false, 14},  // Play macro ALT 0
    {32872, false, 15},  // Play macro ALT 1
    {32873, false, 16},  // Play macro ALT 2
    {32874, false, 17},  // Play macro ALT 3
    {32875, false, 18},  // Play macro ALT 4
    {32876, false, 19},  // Play macro ALT 5
    {32877, false, 20},  // Play macro ALT 6
    {32878, false, 21},  // Play macro ALT 7
    {32879, false, 22},  // Play macro ALT 8
    {32880, false, 23},  // Play macro ALT 9
    {32776, false, 25},  // Font
    {32819, false, 26},  // Help Topics
    {32893, false, 27},  // Toolbar customisation
    {32849, false, 28},  // Cursor
    {32830, false, 29},  // Termtype
    {0, false, 30},      // reserved
    {32842, false, 31},  // Keyboard Mapping
    {32810, false, 32},  // Language (mapping files)
    {32784, false, 33},  // Reset Configuration
}};
// clang-format on

// Older configurations kept only the macro buttons, under indices 17..26 for
// the slots 15..24.
constexpr int kFirstOldMacroKey = 17;
constexpr int kLastOldMacroKey = 26;
constexpr int kOldKeyOffset = 2;

constexpr int kAbsent = INT_MIN;

std::string key(const char* name, int index) {
    return name + std::to_string(index);
}

std::string clipText(std::string text) {
    if (text.size() > kToolbarTextLimit) {
        text.resize(kToolbarTextLimit);
    }
    return text;
}

// Copies the old macro-button keys into the new ones. Runs only while the
// section holds no new table: the text of slot 0 is normally empty and
// stored so, and converting again at every start would bring back buttons
// the user has since removed and overwrite titles set since.
void convertOldKeys(SettingsStore& store, const std::string& section) {
    if (!store.readString(section, "newtoolbartext_0", "").empty() ||
        store.readInt(section, "newtoolbarpos_0", kAbsent) != kAbsent) {
        return;
    }
    for (int old = kFirstOldMacroKey; old <= kLastOldMacroKey; ++old) {
        if (store.readInt(section, key("toolbarused_", old), 0) == 0) {
            continue;
        }
        const std::string text = store.readString(section, key("toolbartext_", old), "");
        if (text.empty()) {
            continue;
        }
        store.writeInt(section, key("newtoolbarused_", old - kOldKeyOffset), 1);
        store.writeString(section, key("newtoolbartext_", old - kOldKeyOffset), text);
    }
}

}  // namespace

ToolbarSlots::ToolbarSlots() {
    for (int n = 0; n < kToolbarSlotCount; ++n) {
        const SlotDefault& factory = kSlotDefaults[n];
        slots_[n] = ToolbarSlot{factory.command, factory.used,     factory.position,
                                factory.used,    factory.position, {}};
    }
}

void ToolbarSlots::load(SettingsStore& store, const std::string& section, UserInterface& ui) {
    convertOldKeys(store, section);

    for (int n = 0; n < kToolbarSlotCount; ++n) {
        ToolbarSlot& slot = slots_[n];
        slot.used = store.readInt(section, key("newtoolbarused_", n), slot.defaultUsed) != 0;
        slot.position = store.readInt(section, key("newtoolbarpos_", n), slot.defaultPosition);
        std::string text = store.readString(section, key("newtoolbartext_", n), "");
        if (!text.empty()) {
            slot.text = clipText(std::move(text));
        }
    }
    // The reserved slot has no command, so a stored "used" for it is ignored.
    slots_[kReservedToolbarSlot].used = false;

    // Any duplicate or out-of-range position leaves some position unfilled.
    if (!positionsArePermutation()) {
        ui.showText(kToolbarRegistryError, MessageIcon::Warning);
        reset();
        return;
    }
    moveUsedAhead();
}

void ToolbarSlots::save(SettingsStore& store, const std::string& section,
                        const std::vector<int>& buttonCommands) {
    for (ToolbarSlot& slot : slots_) {
        slot.used = false;
        slot.position = 0;
    }
    int next = 0;
    for (int command : buttonCommands) {
        const int n = slotForCommand(command);
        // Separators and foreign commands are skipped. A second button for the
        // same slot would leave a hole in the positions, which the next load
        // would reject, so it is skipped as well.
        if (n < 0 || slots_[n].used) {
            continue;
        }
        slots_[n].used = true;
        slots_[n].position = next++;
    }
    for (ToolbarSlot& slot : slots_) {
        if (!slot.used) {
            slot.position = next++;
        }
    }

    for (int n = 0; n < kToolbarSlotCount; ++n) {
        const ToolbarSlot& slot = slots_[n];
        store.writeInt(section, key("newtoolbarused_", n), slot.used ? 1 : 0);
        store.writeInt(section, key("newtoolbarpos_", n), slot.position);
        store.writeString(section, key("newtoolbartext_", n), slot.text);
    }
}

void ToolbarSlots::reset() {
    for (ToolbarSlot& slot : slots_) {
        slot.used = slot.defaultUsed;
        slot.position = slot.defaultPosition;
    }
}

std::vector<ToolbarButton> ToolbarSlots::buttons() const {
    std::vector<int> used;
    for (int n = 0; n < kToolbarSlotCount; ++n) {
        if (slots_[n].used) {
            used.push_back(n);
        }
    }
    std::sort(used.begin(), used.end(),
              [this](int a, int b) { return slots_[a].position < slots_[b].position; });
    std::vector<ToolbarButton> result;
    for (int n : used) {
        result.push_back({n, slots_[n].command, slots_[n].text});
    }
    return result;
}

std::optional<ToolbarButtonInfo> ToolbarSlots::buttonInfo(int index, std::size_t bufferSize) const {
    for (int n = 0; n < kToolbarSlotCount; ++n) {
        const ToolbarSlot& slot = slots_[n];
        if (slot.position != index) {
            continue;
        }
        ToolbarButtonInfo info;
        info.offered = n != kReservedToolbarSlot;
        info.slot = n;
        info.command = slot.command;
        if (info.offered && slot.text.size() + 1 < bufferSize) {
            info.text = slot.text;
        }
        return info;
    }
    return std::nullopt;
}

int ToolbarSlots::slotForCommand(int command) const {
    for (int n = 0; n < kToolbarSlotCount; ++n) {
        // The reserved slot's command is 0, the separator's.
        if (n != kReservedToolbarSlot && slots_[n].command == command) {
            return n;
        }
    }
    return -1;
}

bool ToolbarSlots::setMacroButton(int macro, const std::string& title) {
    if (macro < 0 || macro >= kMacroToolbarSlotCount) {
        return false;
    }
    ToolbarSlot& slot = slots_[kFirstMacroToolbarSlot + macro];
    slot.text = clipText(title);
    slot.used = true;
    // The positions are a permutation already; moving the used slots ahead
    // places the new button after the others.
    moveUsedAhead();
    return true;
}

bool ToolbarSlots::positionsArePermutation() const {
    std::array<bool, kToolbarSlotCount> taken{};
    for (const ToolbarSlot& slot : slots_) {
        if (slot.position < 0 || slot.position >= kToolbarSlotCount || taken[slot.position]) {
            return false;
        }
        taken[slot.position] = true;
    }
    return true;
}

// For each position in turn, an unused slot there swaps positions with every
// used slot behind it. Afterwards the slot at each position is used, or no used
// slot lies behind it; so the used slots come first. Positions are only
// exchanged, so they stay a permutation.
void ToolbarSlots::moveUsedAhead() {
    for (int p = 0; p < kToolbarSlotCount; ++p) {
        int at = 0;
        while (at < kToolbarSlotCount && slots_[at].position != p) {
            ++at;
        }
        if (at == kToolbarSlotCount || slots_[at].used) {
            continue;
        }
        for (ToolbarSlot& other : slots_) {
            if (other.used && other.position > slots_[at].position) {
                std::swap(other.position, slots_[at].position);
            }
        }
    }
}

}  // namespace kestrel
