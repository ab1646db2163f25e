// Builds one outbound 3270 record: a write command, its write control
// character, then orders and EBCDIC text.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kestrel::demo_host {

// Write commands as a host sends them over TN3270.
inline constexpr uint8_t kWrite = 0xF1;
inline constexpr uint8_t kEraseWrite = 0xF5;
inline constexpr uint8_t kEraseWriteAlternate = 0x7E;
inline constexpr uint8_t kWriteStructuredField = 0xF3;

// Write control character bits.
inline constexpr uint8_t kWccResetModified = 0x01;
inline constexpr uint8_t kWccKeyboardRestore = 0x02;
inline constexpr uint8_t kWccReset = 0x40;

// Field attribute bits (before the 3270 code table is applied).
inline constexpr uint8_t kProtected = 0x20;
inline constexpr uint8_t kNumeric = 0x10;
inline constexpr uint8_t kIntensified = 0x08;
inline constexpr uint8_t kNonDisplay = 0x0C;
inline constexpr uint8_t kAutoskip = kProtected | kNumeric;

// Extended colours and highlighting.
inline constexpr uint8_t kBlue = 0xF1;
inline constexpr uint8_t kRed = 0xF2;
inline constexpr uint8_t kPink = 0xF3;
inline constexpr uint8_t kGreen = 0xF4;
inline constexpr uint8_t kTurquoise = 0xF5;
inline constexpr uint8_t kYellow = 0xF6;
inline constexpr uint8_t kWhite = 0xF7;
inline constexpr uint8_t kUnderscore = 0xF4;

inline constexpr int kColumns = 80;

class ScreenBuilder {
  public:
    ScreenBuilder(uint8_t command, uint8_t wcc);

    // Set Buffer Address to ROW, COLUMN (0-based).
    ScreenBuilder& at(int row, int column);
    // Start Field with ATTRIBUTE (bits above; sent through the 3270 code table).
    ScreenBuilder& field(uint8_t attribute);
    // Start Field Extended: the attribute, a colour and, unless 0, a highlight.
    ScreenBuilder& fieldExtended(uint8_t attribute, uint8_t colour, uint8_t highlight = 0);
    // Set Attribute colour for the characters that follow; resetAttributes ends it.
    ScreenBuilder& colour(uint8_t colour);
    ScreenBuilder& resetAttributes();
    // Insert Cursor at the current buffer address.
    ScreenBuilder& cursor();
    // Repeat to Address: CHARACTER up to, not including, ROW, COLUMN.
    ScreenBuilder& repeatTo(int row, int column, uint8_t character);
    // Latin-1 text, converted to EBCDIC; control characters are sent as blanks.
    ScreenBuilder& text(std::string_view latin1);

    const std::vector<uint8_t>& bytes() const { return bytes_; }

  private:
    void address(int row, int column);

    std::vector<uint8_t> bytes_;
};

}  // namespace kestrel::demo_host
