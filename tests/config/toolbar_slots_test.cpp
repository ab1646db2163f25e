// Toolbar slots: the factory toolbar, reading and checking a stored
// arrangement, converting the older keys, saving what the toolbar shows, and
// what the customisation dialog is offered.
#include "config/toolbar_slots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "support/recording_ui.h"

namespace kestrel {
namespace {

using test_support::RecordingUi;

constexpr int kConnect = 32771;
constexpr int kDisconnect = 32777;
constexpr int kCut = 57635;
constexpr int kCopy = 57634;
constexpr int kPaste = 57637;
constexpr int kPrintScreen = 32811;
constexpr int kAbout = 57664;
constexpr int kSendMail = 57612;
constexpr int kPa1 = 32831;
constexpr int kPa2 = 32832;
constexpr int kPa3 = 32833;
constexpr int kDup = 32834;
constexpr int kClear = 32836;
constexpr int kEraseInput = 32838;
constexpr int kEraseField = 32840;
constexpr int kPlayAlt0 = 32871;
constexpr int kFont = 32776;
constexpr int kResetConfiguration = 32784;

const std::vector<int> kDefaultCommands = {
    kConnect, kDisconnect, kCut, kCopy, kPaste, kPrintScreen, kAbout,
    kPa1,     kPa2,        kPa3, kDup,  kClear, kEraseInput,  kEraseField};

const std::string kSection = "Version 1.0\\1";
const std::string kRegistryErrorCall =
    "text Registry error for the toolbar. Default toolbar will be used";

std::vector<int> commandsOf(const std::vector<ToolbarButton>& buttons) {
    std::vector<int> commands;
    for (const ToolbarButton& button : buttons) {
        commands.push_back(button.command);
    }
    return commands;
}

std::string key(const char* name, int n) {
    return name + std::to_string(n);
}

// Used slots first, positions a permutation of 0..33.
::testing::AssertionResult keepsInvariant(const ToolbarSlots& model) {
    std::vector<bool> taken(kToolbarSlotCount, false);
    int usedCount = 0;
    for (const ToolbarSlot& slot : model.entries()) {
        if (slot.position < 0 || slot.position >= kToolbarSlotCount || taken[slot.position]) {
            return ::testing::AssertionFailure() << "bad position " << slot.position;
        }
        taken[slot.position] = true;
        usedCount += slot.used ? 1 : 0;
    }
    for (int n = 0; n < kToolbarSlotCount; ++n) {
        const ToolbarSlot& slot = model.entries()[n];
        if (slot.used != (slot.position < usedCount)) {
            return ::testing::AssertionFailure()
                   << "slot " << n << (slot.used ? " used" : " unused") << " at position "
                   << slot.position << " with " << usedCount << " used";
        }
    }
    return ::testing::AssertionSuccess();
}

class ToolbarSlotsTest : public ::testing::Test {
  protected:
    // Stores the factory arrangement, as a configuration saved untouched would.
    void storeFactoryArrangement() {
        ToolbarSlots factory;
        factory.save(store, kSection, kDefaultCommands);
    }

    ToolbarSlots loaded() {
        ToolbarSlots model;
        model.load(store, kSection, ui);
        return model;
    }

    MemorySettingsStore store;
    RecordingUi ui;
};

TEST_F(ToolbarSlotsTest, NoStoredKeysGiveTheFactoryToolbar) {
    const ToolbarSlots model = loaded();

    EXPECT_EQ(commandsOf(model.buttons()), kDefaultCommands);
    EXPECT_TRUE(ui.calls.empty());
    EXPECT_TRUE(keepsInvariant(model));
    // Each button carries its slot number, which picks its icon; slot 7 (Send
    // as mail) is not on the factory toolbar.
    const std::vector<ToolbarButton> buttons = model.buttons();
    EXPECT_EQ(buttons[6].slot, 6);
    EXPECT_EQ(buttons[7].slot, 8);
    EXPECT_EQ(buttons[13].slot, 14);
}

TEST_F(ToolbarSlotsTest, InconsistentPositionsGiveOneMessageAndTheFactoryToolbar) {
    struct Case {
        const char* what;
        int slot;
        int position;
    };
    const Case cases[] = {
        {"two slots at position 2", 3, 2},
        {"a position past the last", 33, 34},
        {"a negative position", 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store = {};
        ui = {};
        storeFactoryArrangement();
        store.writeInt(kSection, key("newtoolbarused_", 25), 1);  // Font shown
        store.writeString(kSection, key("newtoolbartext_", 15), "LOGON");
        store.writeInt(kSection, key("newtoolbarpos_", c.slot), c.position);

        const ToolbarSlots model = loaded();

        EXPECT_EQ(ui.calls, std::vector<std::string>{kRegistryErrorCall});
        EXPECT_EQ(ui.icons, std::vector<MessageIcon>{MessageIcon::Warning});
        EXPECT_EQ(commandsOf(model.buttons()), kDefaultCommands);
        EXPECT_TRUE(keepsInvariant(model));
        // Only the arrangement falls back; the stored texts are kept.
        EXPECT_EQ(model.entries()[15].text, "LOGON");
    }
}

TEST_F(ToolbarSlotsTest, OldMacroKeysAreConvertedToTheMacroSlots) {
    store.writeInt(kSection, "toolbarused_17", 1);  // ALT 0
    store.writeString(kSection, "toolbartext_17", "LOGON");
    store.writeInt(kSection, "toolbarused_19", 0);  // not shown: not converted
    store.writeString(kSection, "toolbartext_19", "HIDDEN");
    store.writeInt(kSection, "toolbarused_20", 1);  // no text: not converted
    store.writeInt(kSection, "toolbarused_26", 1);  // ALT 9
    store.writeString(kSection, "toolbartext_26", "LOGOFF");
    store.writeInt(kSection, "toolbarused_16", 1);  // outside the old range
    store.writeString(kSection, "toolbartext_16", "NOT A MACRO");

    const ToolbarSlots model = loaded();

    EXPECT_EQ(store.readInt(kSection, "newtoolbarused_15", -1), 1);
    EXPECT_EQ(store.readString(kSection, "newtoolbartext_15", "?"), "LOGON");
    EXPECT_EQ(store.readInt(kSection, "newtoolbarused_24", -1), 1);
    EXPECT_EQ(store.readString(kSection, "newtoolbartext_24", "?"), "LOGOFF");
    for (int n : {14, 17, 18, 23}) {
        EXPECT_EQ(store.readInt(kSection, key("newtoolbarused_", n), -1), -1) << n;
        EXPECT_EQ(store.readString(kSection, key("newtoolbartext_", n), "?"), "?") << n;
    }

    std::vector<ToolbarButton> expected;
    for (const ToolbarButton& button : ToolbarSlots().buttons()) {
        expected.push_back(button);
    }
    expected.push_back({15, kPlayAlt0, "LOGON"});
    expected.push_back({24, kPlayAlt0 + 9, "LOGOFF"});
    EXPECT_EQ(model.buttons(), expected);
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(ToolbarSlotsTest, OldKeysAreNotConvertedWhenTheNewTableIsStored) {
    store.writeInt(kSection, "toolbarused_17", 1);
    store.writeString(kSection, "toolbartext_17", "OLD TITLE");

    // First start after the upgrade: converted, then the user retitles ALT 0,
    // takes its button off the toolbar, and the table is saved at exit.
    ToolbarSlots first = loaded();
    ASSERT_EQ(first.entries()[15].text, "OLD TITLE");
    first.setMacroButton(0, "NEW TITLE");
    first.save(store, kSection, kDefaultCommands);

    // The old keys are still in the store, but the user's choices stand.
    const ToolbarSlots second = loaded();
    EXPECT_EQ(commandsOf(second.buttons()), kDefaultCommands);
    EXPECT_EQ(second.entries()[15].text, "NEW TITLE");

    // A stored text for slot 0 also marks the new table as present.
    store = {};
    store.writeString(kSection, "newtoolbartext_0", "Go");
    store.writeInt(kSection, "toolbarused_17", 1);
    store.writeString(kSection, "toolbartext_17", "OLD TITLE");
    const ToolbarSlots third = loaded();
    EXPECT_EQ(commandsOf(third.buttons()), kDefaultCommands);
    EXPECT_EQ(third.entries()[0].text, "Go");
    EXPECT_EQ(store.readInt(kSection, "newtoolbarused_15", -1), -1);
}

TEST_F(ToolbarSlotsTest, SeparatorsAndForeignCommandsAreNotSavedAndButtonsCloseUp) {
    ToolbarSlots model;
    model.save(store, kSection, {kConnect, 0, kCut, 12345, 0, kCopy});

    // Buttons numbered in toolbar order, then the unused slots in slot order.
    EXPECT_EQ(store.readInt(kSection, "newtoolbarpos_0", -1), 0);  // Connect
    EXPECT_EQ(store.readInt(kSection, "newtoolbarpos_2", -1), 1);  // Cut
    EXPECT_EQ(store.readInt(kSection, "newtoolbarpos_3", -1), 2);  // Copy
    EXPECT_EQ(store.readInt(kSection, "newtoolbarpos_1", -1), 3);  // Disconnect
    EXPECT_EQ(store.readInt(kSection, "newtoolbarpos_4", -1), 4);  // Paste
    EXPECT_EQ(store.readInt(kSection, "newtoolbarpos_33", -1), 33);
    EXPECT_EQ(store.readInt(kSection, "newtoolbarused_1", -1), 0);
    // The separator's 0 is not the reserved slot's missing command.
    EXPECT_EQ(store.readInt(kSection, "newtoolbarused_30", -1), 0);
    EXPECT_EQ(store.readString(kSection, "newtoolbartext_30", "?"), "");

    const ToolbarSlots reloaded = loaded();
    EXPECT_EQ(commandsOf(reloaded.buttons()), (std::vector<int>{kConnect, kCut, kCopy}));
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(ToolbarSlotsTest, SaveAndLoadKeepTheArrangementAndTexts) {
    ToolbarSlots model;
    model.setMacroButton(2, "LOGON");
    model.setMacroButton(7, "Quit");
    const std::vector<int> toolbar = {kPlayAlt0 + 7, kResetConfiguration, kPaste,  kPlayAlt0 + 2,
                                      kFont,         kSendMail,           kConnect};
    model.save(store, kSection, toolbar);

    const ToolbarSlots reloaded = loaded();

    EXPECT_TRUE(ui.calls.empty());
    EXPECT_EQ(commandsOf(reloaded.buttons()), toolbar);
    EXPECT_EQ(reloaded.buttons()[0], (ToolbarButton{22, kPlayAlt0 + 7, "Quit"}));
    EXPECT_EQ(reloaded.buttons()[3], (ToolbarButton{17, kPlayAlt0 + 2, "LOGON"}));
    EXPECT_EQ(reloaded.entries()[17].text, "LOGON");
    EXPECT_TRUE(keepsInvariant(reloaded));
}

TEST_F(ToolbarSlotsTest, AButtonSavedTwiceCountsOnceAndTheTableStaysValid) {
    ToolbarSlots model;
    model.save(store, kSection, {kConnect, kCopy, kConnect, kPaste});

    const ToolbarSlots reloaded = loaded();
    EXPECT_TRUE(ui.calls.empty());
    EXPECT_EQ(commandsOf(reloaded.buttons()), (std::vector<int>{kConnect, kCopy, kPaste}));
}

TEST_F(ToolbarSlotsTest, UsedSlotsBehindUnusedOnesMoveAhead) {
    storeFactoryArrangement();
    store.writeInt(kSection, "newtoolbarused_25", 1);  // Font, position 25
    store.writeInt(kSection, "newtoolbarused_7", 1);   // Send as mail, position 24

    const ToolbarSlots model = loaded();

    std::vector<int> expected = kDefaultCommands;
    expected.push_back(kSendMail);
    expected.push_back(kFont);
    EXPECT_EQ(commandsOf(model.buttons()), expected);
    EXPECT_TRUE(keepsInvariant(model));
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(ToolbarSlotsTest, AnyValidStoredArrangementLoadsUsedFirstWithTheSameButtons) {
    std::mt19937 random(20240611);
    for (int trial = 0; trial < 500; ++trial) {
        SCOPED_TRACE(trial);
        std::vector<int> positions(kToolbarSlotCount);
        std::iota(positions.begin(), positions.end(), 0);
        std::shuffle(positions.begin(), positions.end(), random);
        std::vector<bool> used(kToolbarSlotCount);
        for (int n = 0; n < kToolbarSlotCount; ++n) {
            used[n] = random() % 3 == 0;
        }
        store = {};
        for (int n = 0; n < kToolbarSlotCount; ++n) {
            store.writeInt(kSection, key("newtoolbarused_", n), used[n] ? 1 : 0);
            store.writeInt(kSection, key("newtoolbarpos_", n), positions[n]);
        }

        const ToolbarSlots model = loaded();

        ASSERT_TRUE(ui.calls.empty());
        ASSERT_TRUE(keepsInvariant(model));
        for (int n = 0; n < kToolbarSlotCount; ++n) {
            // The reserved slot is never shown, whatever the store says.
            const bool expected = used[n] && n != kReservedToolbarSlot;
            ASSERT_EQ(model.entries()[n].used, expected) << "slot " << n;
        }
    }
}

TEST_F(ToolbarSlotsTest, AnArrangementAlreadyInOrderIsLoadedUnchanged) {
    // A toolbar whose button order differs from slot order must not be
    // reshuffled by the check.
    const std::vector<int> toolbar = {kEraseField, kAbout, kPlayAlt0 + 5, kConnect, kSendMail};
    ToolbarSlots model;
    model.save(store, kSection, toolbar);
    const std::array<ToolbarSlot, kToolbarSlotCount> saved = model.entries();

    const ToolbarSlots reloaded = loaded();
    for (int n = 0; n < kToolbarSlotCount; ++n) {
        EXPECT_EQ(reloaded.entries()[n].position, saved[n].position) << "slot " << n;
    }
}

TEST_F(ToolbarSlotsTest, ReservedSlotIsNeverShownNorOffered) {
    storeFactoryArrangement();
    store.writeInt(kSection, "newtoolbarused_30", 1);

    const ToolbarSlots model = loaded();
    EXPECT_EQ(commandsOf(model.buttons()), kDefaultCommands);

    // The dialog's list skips the reserved slot and goes on to the end.
    int offered = 0;
    int index = 0;
    for (; index < 100; ++index) {
        const std::optional<ToolbarButtonInfo> info = model.buttonInfo(index, 80);
        if (!info) {
            break;
        }
        EXPECT_EQ(info->slot == kReservedToolbarSlot, !info->offered) << index;
        offered += info->offered ? 1 : 0;
    }
    EXPECT_EQ(index, kToolbarSlotCount);
    EXPECT_EQ(offered, kToolbarSlotCount - 1);
    EXPECT_EQ(model.slotForCommand(0), -1);
}

TEST_F(ToolbarSlotsTest, DialogGetsTheTextOnlyWhenItFitsTheBuffer) {
    ToolbarSlots model;
    model.setMacroButton(0, "0123456789");  // ten bytes, at position 14
    struct Case {
        std::size_t bufferSize;
        const char* text;
    };
    const Case cases[] = {{0, ""}, {10, ""}, {11, ""}, {12, "0123456789"}, {80, "0123456789"}};
    for (const Case& c : cases) {
        const std::optional<ToolbarButtonInfo> info = model.buttonInfo(14, c.bufferSize);
        ASSERT_TRUE(info);
        EXPECT_TRUE(info->offered);
        EXPECT_EQ(info->slot, 15);
        EXPECT_EQ(info->command, kPlayAlt0);
        EXPECT_EQ(info->text, c.text) << "buffer of " << c.bufferSize;
    }
    EXPECT_EQ(model.buttonInfo(0, 80)->command, kConnect);
    EXPECT_FALSE(model.buttonInfo(-1, 80));
    EXPECT_FALSE(model.buttonInfo(kToolbarSlotCount, 80));
}

TEST_F(ToolbarSlotsTest, LongStoredTextIsCutToTheTextLimit) {
    const std::string longText(200, 'x');
    store.writeString(kSection, "newtoolbartext_16", longText);

    const ToolbarSlots model = loaded();
    EXPECT_EQ(model.entries()[16].text, std::string(kToolbarTextLimit, 'x'));

    ToolbarSlots titled;
    titled.setMacroButton(4, longText);
    EXPECT_EQ(titled.entries()[19].text.size(), kToolbarTextLimit);
}

TEST_F(ToolbarSlotsTest, EmptyStoredTextKeepsTheCurrentText) {
    ToolbarSlots model;
    model.setMacroButton(1, "KEEP");
    storeFactoryArrangement();  // stores an empty text for every slot

    model.load(store, kSection, ui);
    EXPECT_EQ(model.entries()[16].text, "KEEP");
}

TEST_F(ToolbarSlotsTest, MacroButtonIsAddedAfterTheButtonsAlreadyShown) {
    ToolbarSlots model;
    ASSERT_TRUE(model.setMacroButton(3, "Logon"));
    ASSERT_TRUE(model.setMacroButton(0, "Menu"));

    std::vector<ToolbarButton> expected = ToolbarSlots().buttons();
    expected.push_back({18, kPlayAlt0 + 3, "Logon"});
    expected.push_back({15, kPlayAlt0, "Menu"});
    EXPECT_EQ(model.buttons(), expected);
    EXPECT_TRUE(keepsInvariant(model));

    // Retitling a button already shown keeps its place.
    ASSERT_TRUE(model.setMacroButton(3, "Sign on"));
    expected[14].text = "Sign on";
    EXPECT_EQ(model.buttons(), expected);

    for (int outside : {-1, 10}) {
        EXPECT_FALSE(model.setMacroButton(outside, "x"));
    }
    EXPECT_EQ(model.buttons(), expected);
}

TEST_F(ToolbarSlotsTest, ResetRestoresTheFactoryArrangementAndKeepsTexts) {
    ToolbarSlots model;
    model.setMacroButton(5, "Print");
    model.save(store, kSection, {kFont, kPlayAlt0 + 5, kPa1});

    model.reset();

    EXPECT_EQ(commandsOf(model.buttons()), kDefaultCommands);
    EXPECT_EQ(model.entries()[20].text, "Print");
    EXPECT_TRUE(keepsInvariant(model));
}

}  // namespace
}  // namespace kestrel
