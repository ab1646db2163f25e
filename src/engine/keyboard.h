// The keyboard: what a key or a typed character does to the presentation space.
//
// Two entries take the operator's input. keyEvent takes a key (Windows
// virtual-key codes and the cursor-key codes below): Insert and the keypad
// operator keys first, then a key of the keyboard map is looked up in the key
// binding table and its host function runs; a key without a binding (Tab, the
// cursor keys) goes straight to the editing core. characterEvent takes a typed
// character and enters it into the field under the cursor.
//
// While the keyboard is locked (an attention key is on its way to the host)
// only RESET, ATTN and SYSREQ act; with the typeahead setting on, other input
// waits in the type-ahead queue and replayTypeAhead runs it once the host has
// restored the keyboard. Before the session is in record mode (line mode) the
// keyboard sends bytes to the host as they are typed.
//
// The engine never touches the connection. An entry returns 1 when the caller
// must look for output: first takeAttnPending (IAC BRK), then
// takeSysreqPending (IAC IP), then takePendingRecord (read_reply.h). Line-mode
// bytes have already gone out through KeyboardHost::sendRaw by then.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kestrel {

class vt;

// Key codes that reach keyEvent and editKey beside the plain virtual-key codes.
namespace key_code {
inline constexpr int kBackspace = 0x08;
inline constexpr int kTab = 0x09;
inline constexpr int kEnter = 0x0D;
inline constexpr int kEscape = 0x1B;
inline constexpr int kDup = 0x1C;        // the DUP character
inline constexpr int kFieldMark = 0x1E;  // the FM character
inline constexpr int kInsert = 0x2D;
inline constexpr int kKeypadMultiply = 0x6A;
inline constexpr int kKeypadPlus = 0x6B;
inline constexpr int kKeypadMinus = 0x6D;
inline constexpr int kKeypadDivide = 0x6F;
inline constexpr int kRubout = 0x7F;  // the DEL character: a backspace
inline constexpr int kLeft = 0x25000;
inline constexpr int kUp = 0x26000;
inline constexpr int kRight = 0x27000;
inline constexpr int kDown = 0x28000;
inline constexpr int kCtrlC = 0x1063;  // reaches the keyboard only while use_cv is 0
inline constexpr int kCtrlP = 0x1070;
// Key message flag: an extended key (the keypad Enter, the right-hand Ctrl).
inline constexpr int kExtendedKey = 0x100;
}  // namespace key_code

// The local host functions (codes 1-22); codes above 24 are AIDs (read_reply.h).
namespace host_function {
inline constexpr int kInsert = 1;
inline constexpr int kEraseField = 2;  // ERASEF
inline constexpr int kEraseInput = 3;
inline constexpr int kStartOfField = 4;  // STARTF
inline constexpr int kEndOfField = 5;    // ENDF
inline constexpr int kBacktab = 6;
inline constexpr int kTab = 7;
inline constexpr int kReset = 8;
inline constexpr int kDup = 9;
inline constexpr int kFieldMark = 10;
inline constexpr int kNewLine = 11;
inline constexpr int kEraseEof = 12;
inline constexpr int kDelete = 13;
inline constexpr int kLeftDelete = 14;
inline constexpr int kHome = 15;
inline constexpr int kSysreq = 16;
inline constexpr int kAttn = 17;
inline constexpr int kHardcopy = 18;
inline constexpr int kRealPlus = 19;
inline constexpr int kRealMinus = 20;
inline constexpr int kRealMultiply = 21;
inline constexpr int kRealDivide = 22;
}  // namespace host_function

// What the keyboard needs from the terminal around the engine. The terminal
// core implements it over the session, the macro recorder and the view.
class KeyboardHost {
  public:
    virtual ~KeyboardHost() = default;

    // True once the host has negotiated 3270 records; before that the
    // keyboard is in line mode.
    virtual bool recordMode() const = 0;
    // Line mode: sends DATA to the host as it is, without record framing.
    virtual void sendRaw(const uint8_t* data, size_t length) = 0;

    // The keystroke recorder: called for every key event and every accepted
    // character at the point where a macro records it; writes a script line
    // only while a macro is being recorded.
    virtual void recordKeyEvent(int /*code*/, bool /*ctrl*/, bool /*shift*/, int /*flags*/) {}
    virtual void recordCharacterEvent(int /*code*/) {}

    // HARDCOPY: the print command.
    virtual void printScreen() {}
    // A cursor key with Shift held while shift_arrow is on: the keyboard
    // selection grows from address FROM to address TO.
    virtual void extendSelection(int /*from*/, int /*to*/) {}
    // True while a paste runs: filling the last position of a field leaves the
    // cursor there instead of skipping to the next field.
    virtual bool autoSkipSuppressed() const { return false; }
};

// One key event, as keyEvent takes it.
struct KeyStroke {
    int code = 0;
    bool ctrl = false;
    bool shift = false;
    int flags = 0;
};

// The key event that looks up PC_KEY (a PcKey code) in the key binding
// table; nothing for a code outside the keyboard map.
std::optional<KeyStroke> keyStrokeForPcKey(int pcKey);

// A key pressed (the view, macro playback). CODE is a Windows virtual-key
// code or one of key_code; FLAGS are the key message's flags. Returns 1 when
// the caller must look for output.
int keyEvent(vt& engine, KeyboardHost& host, int code, bool ctrl, bool shift, int flags);

// A character typed (the view, macro playback, paste, cut). CODE is the
// character in the display character set. Returns 1 when something was sent
// or is to be sent (line mode).
int characterEvent(vt& engine, KeyboardHost& host, int code);

// The editing core, with no lock test: a cursor key, Tab (Shift: backtab),
// backspace (0x08, 0x7F), or any other code as a character entered at the
// cursor. Refusals set inputError.
void editKey(vt& engine, KeyboardHost& host, int code, bool ctrl = false, bool shift = false);

// The host function FUNCTION (a HostFunction code) as if a key bound to it
// were pressed: the keyboard lock and type-ahead apply, except that RESET,
// ATTN and SYSREQ always act at once. Returns 1 when the caller must look for
// output.
int pressHostFunction(vt& engine, KeyboardHost& host, int function);

// A local function (codes 1-22) without the keyboard-lock test and without
// type-ahead, as the menu commands run them (Erase Input, Erase Field, Dup,
// Field Mark). RESET does nothing here. Returns 1 for LEFTDELETE, SYSREQ and
// ATTN, else 0; other codes do nothing and return 0.
int runLocalFunction(vt& engine, KeyboardHost& host, int function);

// The NL function: to the first unprotected position of the next line.
void newLine(vt& engine);

// The Reset Terminal command: unlocks the keyboard.
void resetKeyboard(vt& engine);
void setInsertMode(vt& engine, int value);
void setInputError(vt& engine, int value);

// Runs the type-ahead queue while the keyboard is unlocked, oldest first; a
// replayed attention key locks the keyboard and the rest waits for the next
// restore. Called at the end of every inbound record. Returns 1 when the
// caller must look for output.
int replayTypeAhead(vt& engine, KeyboardHost& host);

// The automatic login, after an inbound record of RECORD_LENGTH bytes in
// record mode (REPLY_SENT: a record was sent in answer to it). Once per
// connection, with the autologin setting on and a record of at least 26
// bytes, while the keyboard is unlocked: types the user name, tabs, types the
// password and builds an Enter reply without changing lastAid. Returns 1 when
// the caller must send the pending record.
int autoLogin(vt& engine, KeyboardHost& host, size_t recordLength, bool replySent);

// A new connection: the automatic login may run again.
void resetAutoLogin(vt& engine);

}  // namespace kestrel
