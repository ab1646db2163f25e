// Key and character events: the binding lookup, the keyboard lock,
// type-ahead and its replay, the line-mode keyboard, the keystroke recorder
// and the automatic login.
#include "keyboard_fixture.h"
#include "mapping/key_names.h"

namespace kestrel::test {
namespace {

namespace fn = host_function;

constexpr int kVkF1 = 0x70;
constexpr int kVkF2 = 0x71;
constexpr int kVkF3 = 0x72;
constexpr int kVkF4 = 0x73;
constexpr int kVkHome = 0x24;

class KeyEventTest : public KeyboardTest {
  protected:
    KeyEventTest() {
        KeyBindingTable& keys = engine.keyBindings;
        keys.bind(pc_key::kReturn, aid::kEnter);
        keys.bind(pc_key::kKeypadEnter, aid::kEnter);
        keys.bind(pc_key::kEscape, fn::kReset);
        keys.bind(pc_key::kShiftEscape, fn::kReset);
        keys.bind(pc_key::kF1, 0xF1);
        keys.bind(pc_key::kF1 + 1, fn::kAttn);
        keys.bind(pc_key::kF1 + 2, fn::kSysreq);
        keys.bind(pc_key::kF1 + 3, fn::kHardcopy);
        keys.bind(pc_key::kHome, fn::kHome);
    }

    // An input field at 10 and a protected field at 20, the keyboard restored.
    void showPanel() { show({{0, kProtectedText}, {10, kInput}, {20, kProtectedText}}, 11); }
    // The host restores the keyboard with a plain Write.
    void restore() { feed({0xF1, 0x02}); }
    Bytes take() { return takePendingRecord(engine).value_or(Bytes{}); }
    int queued() const { return engine.keyboard.typeAhead.size(); }
};

TEST_F(KeyEventTest, BoundAttentionKeySendsItsAidAndLocks) {
    showPanel();
    type("AB");
    EXPECT_EQ(key(key_code::kEnter), 1);
    EXPECT_EQ(engine.keyboardUnlocked, 0);
    EXPECT_EQ(engine.functionName, "ENTER");
    EXPECT_EQ(take(), hex("7D 40 4D 11 40 4B C1 C2"));
}

TEST_F(KeyEventTest, InsertTogglesEvenWhileLockedAndIsNotRecorded) {
    showPanel();
    engine.keyboardUnlocked = 0;
    EXPECT_EQ(key(key_code::kInsert), 1);
    EXPECT_EQ(engine.insertMode, 1);
    EXPECT_EQ(key(key_code::kInsert), 1);
    EXPECT_EQ(engine.insertMode, 0);
    run(fn::kInsert);
    EXPECT_EQ(engine.insertMode, 1);
    EXPECT_TRUE(host.script.empty());
}

// The keypad operator keys type their character while never bound; bound to
// "-" they do nothing; bound to a function they run it.
TEST_F(KeyEventTest, KeypadOperatorKeys) {
    showPanel();
    for (const int code : {key_code::kKeypadPlus, key_code::kKeypadMinus, key_code::kKeypadMultiply,
                           key_code::kKeypadDivide}) {
        EXPECT_EQ(key(code), 1);
    }
    EXPECT_EQ(text(11, 4), "+-*/");

    engine.keyBindings.bind(pc_key::kKeypadPlus, kKeyNoFunction);
    EXPECT_EQ(key(key_code::kKeypadPlus), 0);
    EXPECT_EQ(text(15, 1), "_");

    engine.keyBindings.bind(pc_key::kKeypadMinus, 0xF1);
    EXPECT_EQ(key(key_code::kKeypadMinus), 1);
    EXPECT_EQ(engine.lastAid, 0xF1);
}

TEST_F(KeyEventTest, LocalFunctionsAndTheirResults) {
    showPanel();
    EXPECT_EQ(key(kVkHome), 0);
    EXPECT_EQ(key(kVkF4), 0);  // HARDCOPY
    EXPECT_EQ(host.calls, std::vector<std::string>{"print"});
    engine.keyBindings.bind(pc_key::kBackspace, fn::kLeftDelete);
    EXPECT_EQ(key(key_code::kBackspace), 1);
    EXPECT_EQ(key(kVkF2), 1);  // ATTN
    EXPECT_EQ(key(kVkF3), 1);  // SYSREQ
    EXPECT_TRUE(takeAttnPending(engine));
    EXPECT_TRUE(takeSysreqPending(engine));
    EXPECT_EQ(engine.functionName, "SYSREQ");
}

// While locked only RESET, ATTN and SYSREQ act; everything else is refused
// with the input-error state when type-ahead is off.
TEST_F(KeyEventTest, LockedKeyboardWithoutTypeAhead) {
    showPanel();
    engine.keyboardUnlocked = 0;

    struct Attempt {
        const char* what;
        int result;
    };
    const Attempt refused[] = {
        {"character", characterEvent(engine, host, 'A')},
        {"unbound key", key(key_code::kTab)},
        {"bound attention key", key(kVkF1)},
        {"bound local function", key(kVkHome)},
        {"key bound to no function", (engine.keyBindings.bind(pc_key::kEnd, -1), key(0x23))},
    };
    for (const Attempt& attempt : refused) {
        EXPECT_EQ(attempt.result, 0) << attempt.what;
    }
    EXPECT_EQ(engine.inputError, 1);
    EXPECT_EQ(text(11, 1), "_");
    EXPECT_EQ(engine.cursorAddress, 11);
    EXPECT_FALSE(engine.pendingRecord.pending);

    EXPECT_EQ(key(kVkF2), 1);  // ATTN
    EXPECT_EQ(engine.attnPending, 1);
    EXPECT_EQ(engine.functionName, "ATTN");
    EXPECT_EQ(engine.inputError, 0);

    EXPECT_EQ(key(key_code::kEscape), 0);  // RESET
    EXPECT_EQ(engine.keyboardUnlocked, 1);
    EXPECT_EQ(key(key_code::kEscape), 0);  // RESET while unlocked: nothing
    EXPECT_EQ(engine.keyboardUnlocked, 1);
}

TEST_F(KeyEventTest, EscapeBoundToResetUnlocksDespiteTypeAheadButShiftEscapeIsQueued) {
    showPanel();
    settings.typeahead = 1;
    engine.keyboardUnlocked = 0;
    key(key_code::kEscape, true);
    EXPECT_EQ(engine.keyboardUnlocked, 0);
    EXPECT_EQ(queued(), 1);
    key(key_code::kEscape);
    EXPECT_EQ(engine.keyboardUnlocked, 1);
}

// Keys pressed while the host is busy run in order once it restores the
// keyboard; an Enter among them goes out then and the rest waits again.
TEST_F(KeyEventTest, TypeAheadReplaysInOrderAndStopsAtAnAttentionKey) {
    showPanel();
    settings.typeahead = 1;
    key(key_code::kEnter);
    take();
    type("AB");
    key(key_code::kEnter);
    type("C");
    key(key_code::kTab);  // round to the start of the field
    EXPECT_EQ(queued(), 5);
    EXPECT_EQ(text(11, 3), "___");

    restore();
    EXPECT_EQ(replayTypeAhead(engine, host), 1);
    EXPECT_EQ(take(), hex("7D 40 4D 11 40 4B C1 C2"));
    EXPECT_EQ(queued(), 2);
    EXPECT_EQ(text(11, 3), "AB_");

    restore();
    EXPECT_EQ(replayTypeAhead(engine, host), 0);
    EXPECT_EQ(queued(), 0);
    EXPECT_EQ(text(11, 3), "ABC");
    EXPECT_EQ(engine.cursorAddress, 11);
    EXPECT_EQ(engine.inputError, 0);
}

TEST_F(KeyEventTest, ReplayWaitsWhileLocked) {
    showPanel();
    settings.typeahead = 1;
    engine.keyboardUnlocked = 0;
    type("A");
    EXPECT_EQ(replayTypeAhead(engine, host), 0);
    EXPECT_EQ(queued(), 1);
    EXPECT_EQ(text(11, 1), "_");
}

TEST_F(KeyEventTest, HostFunctionsByNameQueueExceptResetAttnAndSysreq) {
    showPanel();
    settings.typeahead = 1;
    engine.keyboardUnlocked = 0;
    EXPECT_EQ(pressHostFunction(engine, host, aid::kEnter), 0);
    EXPECT_EQ(pressHostFunction(engine, host, fn::kTab), 0);
    EXPECT_EQ(queued(), 2);
    EXPECT_EQ(pressHostFunction(engine, host, fn::kAttn), 1);
    EXPECT_EQ(pressHostFunction(engine, host, fn::kReset), 0);
    EXPECT_EQ(engine.keyboardUnlocked, 1);
    EXPECT_EQ(replayTypeAhead(engine, host), 1);
    EXPECT_EQ(engine.lastAid, aid::kEnter);
    EXPECT_EQ(queued(), 1);
}

// The ring holds 1999 keystrokes. One more is refused with the input-error
// state instead of wrapping over the oldest and losing the whole queue, and
// the refusal is shown again once the queue has drained.
TEST_F(KeyEventTest, FullTypeAheadQueueRefusesTheNextKeystroke) {
    show({}, 0);
    settings.typeahead = 1;
    engine.keyboardUnlocked = 0;
    type(std::string(TypeAheadQueue::kCapacity - 1, 'A') + "B");
    EXPECT_EQ(engine.inputError, 0);
    EXPECT_EQ(queued(), 1999);

    type("C");
    EXPECT_EQ(engine.inputError, 1);
    key(key_code::kTab);
    EXPECT_EQ(engine.inputError, 1);
    EXPECT_EQ(queued(), 1999);
    EXPECT_EQ(host.script.size(), 1999u);  // the refused keystrokes were not recorded

    resetKeyboard(engine);
    replayTypeAhead(engine, host);
    EXPECT_EQ(queued(), 0);
    EXPECT_EQ(text(1998 - 1920, 1), "B");  // 1999 characters, wrapped once
    EXPECT_EQ(engine.cursorAddress, 1999 - 1920);
    EXPECT_EQ(engine.inputError, 1);

    // The next keystroke clears it as usual, and the queue works again.
    type("D");
    EXPECT_EQ(engine.inputError, 0);
}

TEST_F(KeyEventTest, TypeAheadRingWrapsAround) {
    TypeAheadQueue queue;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 1500; ++i) {
            ASSERT_TRUE(queue.push({i, false, false, 0, TypeAheadEntry::kCharacter}));
        }
        for (int i = 0; i < 1500; ++i) {
            ASSERT_EQ(queue.pop()->code, i);
        }
        EXPECT_TRUE(queue.empty());
    }
    EXPECT_FALSE(queue.pop().has_value());
}

// What the macro recorder hears: every key event that reaches the handler,
// characters only when they are taken; a queued key once, with flags 0.
TEST_F(KeyEventTest, KeystrokeRecorderPoints) {
    showPanel();
    type("a");
    key(key_code::kEnter, false, key_code::kExtendedKey);
    take();
    characterEvent(engine, host, 'b');  // locked, type-ahead off: refused, not recorded
    key(kVkF1);                         // refused, but recorded as a key event
    settings.typeahead = 1;
    key(key_code::kEnter, false, key_code::kExtendedKey);
    type("c");
    restore();
    replayTypeAhead(engine, host);
    EXPECT_EQ(host.script, (std::vector<std::string>{"61 0 0 0 0", "d 0 0 100 1", "70 0 0 0 1",
                                                     "d 0 0 0 1", "63 0 0 0 0"}));
}

// Before record mode keys and characters go to the host as bytes.
TEST_F(KeyEventTest, LineModeSendsBytes) {
    host.inRecordMode = false;
    settings.typeahead = 1;  // no type-ahead in line mode
    struct Case {
        int code;
        Bytes sent;
    };
    const Case cases[] = {
        {key_code::kEnter, hex("0D 0A")},  // proxy_return, "\015\012" by default
        {key_code::kEscape, hex("1B")},    // Escape has no binding in line mode
        {key_code::kTab, hex("09")},
    };
    for (const Case& c : cases) {
        host.sent.clear();
        EXPECT_EQ(key(c.code), 1);
        EXPECT_EQ(host.sent, std::vector<Bytes>{c.sent}) << c.code;
    }

    host.sent.clear();
    host.script.clear();
    EXPECT_EQ(characterEvent(engine, host, 'a'), 1);
    EXPECT_EQ(characterEvent(engine, host, 0x85), 1);
    EXPECT_EQ(host.sent, (std::vector<Bytes>{{'a'}, {0x85}}));  // untranslated
    EXPECT_EQ(text(0, 2), "__");
    EXPECT_EQ(queued(), 0);
    EXPECT_TRUE(host.script.empty());

    host.sent.clear();
    settings.proxy_return = "go\\033";
    key(key_code::kEnter);
    settings.proxy_return = "";
    key(key_code::kEnter);
    EXPECT_EQ(host.sent, std::vector<Bytes>{hex("67 6F 1B")});
}

TEST_F(KeyEventTest, LineModeBoundKeysKeepTheLockTest) {
    host.inRecordMode = false;
    EXPECT_EQ(key(kVkF1), 0);
    EXPECT_EQ(engine.inputError, 1);
    EXPECT_TRUE(host.sent.empty());
}

TEST_F(KeyEventTest, CtrlCIsBindableOnlyWhileItIsNotTheCopyKey) {
    showPanel();
    engine.keyBindings.bind(pc_key::kCtrlC, aid::kClear);
    settings.use_cv = 1;
    keyEvent(engine, host, key_code::kCtrlC, true, false, 0);
    EXPECT_FALSE(engine.pendingRecord.pending);
    settings.use_cv = 0;
    EXPECT_EQ(keyEvent(engine, host, key_code::kCtrlC, true, false, 0), 1);
    EXPECT_EQ(engine.lastAid, aid::kClear);
}

TEST_F(KeyEventTest, EveryPcKeyHasAKeyStrokeThatFindsIt) {
    for (const PcKey& pcKey : kPcKeys) {
        const std::optional<KeyStroke> stroke = keyStrokeForPcKey(pcKey.code);
        ASSERT_TRUE(stroke.has_value()) << pcKey.name;
        EXPECT_EQ(pcKeyForKeyEvent(stroke->code, stroke->ctrl, stroke->shift, stroke->flags),
                  pcKey.code)
            << pcKey.name;
    }
    EXPECT_FALSE(keyStrokeForPcKey(kPcKeyCount).has_value());
    EXPECT_FALSE(keyStrokeForPcKey(-1).has_value());
}

class AutoLoginTest : public KeyEventTest {
  protected:
    AutoLoginTest() {
        settings.autologin = 1;
        settings.user = "USER";
        settings.password = "PW";
    }
    void showLogon() {
        show({{0, kProtectedText, "USERID"},
              {10, kInput},
              {20, kProtectedText, "PASSWORD"},
              {30, kHiddenInput},
              {40, kProtectedText}},
             11);
    }
};

TEST_F(AutoLoginTest, TypesNameAndPasswordAndEntersOncePerConnection) {
    showLogon();
    EXPECT_EQ(autoLogin(engine, host, 25, false), 0);
    EXPECT_EQ(text(11, 4), "____");

    EXPECT_EQ(autoLogin(engine, host, 26, false), 1);
    EXPECT_EQ(take(), hex("7D 40 61 11 40 4B E4 E2 C5 D9 11 40 5F D7 E6"));
    EXPECT_EQ(engine.lastAid, aid::kNone);
    EXPECT_TRUE(host.script.empty());  // never into a macro file

    showLogon();
    EXPECT_EQ(autoLogin(engine, host, 100, false), 0);
    resetAutoLogin(engine);
    EXPECT_EQ(autoLogin(engine, host, 100, false), 1);
}

TEST_F(AutoLoginTest, WaitsForAScreenThatTakesInput) {
    settings.autologin = 0;
    showLogon();
    EXPECT_EQ(autoLogin(engine, host, 100, false), 0);
    settings.autologin = 1;
    EXPECT_EQ(autoLogin(engine, host, 100, true), 0);  // the record was answered

    // A locked keyboard would refuse or queue the password for a later screen.
    settings.typeahead = 1;
    engine.keyboardUnlocked = 0;
    EXPECT_EQ(autoLogin(engine, host, 100, false), 0);
    EXPECT_EQ(queued(), 0);

    showLogon();
    EXPECT_EQ(autoLogin(engine, host, 100, false), 1);
}

}  // namespace
}  // namespace kestrel::test
