// vt: the 3270 terminal engine.
//
// Holds the presentation space of a 3278 display station (24x80 or 32x80
// cells), the cursor, the write state of the inbound data stream and the
// keyboard and reply states. Host records enter through processInboundRecord;
// after every change the engine renders the presentation space into the
// DisplayImage. Byte in, byte out: no sockets, windows or timers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/settings.h"
#include "engine/display_image.h"
#include "engine/keyboard_state.h"
#include "mapping/code_page_table.h"
#include "mapping/key_binding_table.h"
#include "platform/user_interface.h"

namespace kestrel {

class vt;

// The parts of the inbound path that live beside the write interpreter: the
// read replies, structured fields, macro playback and type-ahead. Without an
// extension installed the engine applies only its own part of each command.
class InboundExtensions {
  public:
    virtual ~InboundExtensions() = default;
    // A read command arrived; readMode tells which. Builds the pending record.
    virtual void buildReadReply(vt& engine, uint8_t aid) = 0;
    // Write Structured Field: DATA holds the record after the command byte.
    virtual void writeStructuredField(vt& engine, const uint8_t* data, size_t length) = 0;
    // The record is done and rendered: a playing macro goes on, type-ahead replays.
    virtual void recordProcessed(vt& engine) = 0;
};

// An inbound record (AID, cursor, data) waiting to be sent to the host.
struct PendingRecord {
    std::vector<uint8_t> bytes;
    bool pending = false;
};

class vt {
  public:
    static constexpr int kColumns = 80;
    static constexpr int kDefaultRows = 24;
    static constexpr int kMaxCells = 3840;

    vt(const Settings& settings, DisplayImage& image, UserInterface& ui);
    virtual ~vt() = default;
    vt(const vt&) = delete;
    vt& operator=(const vt&) = delete;

    void setExtensions(InboundExtensions* extensions) { extensions_ = extensions; }

    // Geometry.
    int rows() const { return rows_; }
    int cells() const { return cells_; }

    // Inbound data stream. Returns 1 when a reply is pending for sending.
    int processInboundRecord(const uint8_t* data, size_t length);
    // The order interpreter over data[wccPosition .. lastIndex].
    void processWrite(const uint8_t* data, size_t wccPosition, size_t lastIndex);
    void writeCharacter(uint8_t code);
    // The erasing write commands, from a record or an Outbound 3270DS field:
    // the size switch, the clear, then the write from the WCC on.
    void eraseWrite(const uint8_t* data, size_t wccPosition, size_t lastIndex);
    void eraseWriteAlternate(const uint8_t* data, size_t wccPosition, size_t lastIndex);
    void eraseAllUnprotected();
    // The size switches of the erasing commands.
    void switchToDefaultSize();
    void switchToAlternateSize();
    // Reads and clears the program-check flag.
    bool isProgramCheck();

    // Buffer addresses on the wire.
    static int decodeAddress(uint8_t b1, uint8_t b2);
    static std::array<uint8_t, 2> encodeAddress(int address);
    // The 3270 code table: six bits to one graphic byte.
    static uint8_t sixBitCode(int value);

    // Field searches; -1 means none (unformatted screen or address out of range).
    int fieldStart(int a);
    int fieldEnd(int a);
    int fieldEndInRow(int a);
    int firstNullInField(int a);
    int isProtected(int a) const;
    int nextUnprotectedField(int a) const;
    void markModified(int a);
    bool isFormatted() const;

    // Clearing, size and cursor.
    void clearPresentationSpace();
    void clearAllCells();
    void resize(int rows);
    void setCursor(int column, int row);
    void setCursor(int packed) { setCursor(packed & 0xFF, packed >> 8); }
    int cursorPosition() const;

    // Rendering into the display image.
    void render();
    void renderCell(int a);
    void setRenderingSuspended(bool suspended) { renderingSuspended_ = suspended; }
    bool renderingSuspended() const { return renderingSuspended_; }

    // The cell at A, or 0 outside the cells in use.
    uint32_t cell(int a) const { return a >= 0 && a < cells_ ? presentationSpace[a] : 0; }

    // The presentation space; only the first cells() are in use.
    std::array<uint32_t, kMaxCells> presentationSpace{};

    // Engine state (see the state table of the engine).
    int cursorAddress = 0;
    int bufferAddress = 0;
    uint32_t characterAttributes = 0;
    int alternateActive = 0;
    int keyboardUnlocked = 0;
    int inputError = 0;
    int insertMode = 0;
    uint8_t lastAid = 0x60;
    int readMode = 0;
    int replyHighlight = 0;
    int replyColour = 0;
    int programCheck = 0;
    int suppressWrite = 0;
    int orderState = 0;
    int foundAttribute = 0;
    PendingRecord pendingRecord;
    std::string functionName;
    int attnPending = 0;
    int sysreqPending = 0;
    KeyboardState keyboard;  // type-ahead queue, automatic-login flag
    CodePageTable codePage;
    KeyBindingTable keyBindings;

    const Settings& settings;
    DisplayImage& image;
    UserInterface& ui;

  private:
    int wrap(int a) const { return a >= cells_ ? a - cells_ : a; }
    // The address of the attribute that governs A (looking at A first), or -1.
    int governingAttribute(int a) const;
    // The first unprotected attribute from A to the end of the buffer, or -1.
    int findUnprotectedAttribute(int a) const;
    void applyWcc(uint8_t wcc);
    // Erase/Write and Erase/Write Alternate after their size switch.
    void eraseForWrite(const uint8_t* data, size_t wccPosition, size_t lastIndex);
    // Writes the characters from data[i] up to the next order; I moves past them.
    void writeCharacters(const uint8_t* data, size_t& i, size_t lastIndex);
    // Nulls the character cells of unprotected fields among COUNT cells from FROM.
    void nullUnprotected(int from, int count);
    void programTab();
    // A stop address of EUA or RA; out of range sets programCheck and wraps.
    int stopAddress(uint8_t b1, uint8_t b2);
    // Cells from bufferAddress up to, not including, STOP (wrapping).
    int distanceTo(int stop) const;
    // Applies SFE/MF type-value pairs to the cell at bufferAddress.
    void applyFieldPair(uint8_t type, uint8_t value);
    void applySetAttribute(uint8_t type, uint8_t value);

    int rows_ = kDefaultRows;
    int cells_ = kDefaultRows * kColumns;
    bool renderingSuspended_ = false;
    InboundExtensions* extensions_ = nullptr;
};

}  // namespace kestrel
