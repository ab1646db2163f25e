// The translation between the host's EBCDIC and the display character set.
//
// Both directions start as spaces and are filled only by mapping files
// (ebcdic_file.h); no code page is built into the program.
#pragma once

#include <array>
#include <cstdint>

namespace kestrel {

class CodePageTable {
  public:
    CodePageTable() {
        ebcdicToAscii.fill(0x20);
        asciiToEbcdic.fill(0x40);
    }

    uint8_t toAscii(uint8_t ebcdic) const { return ebcdicToAscii[ebcdic]; }
    uint8_t toEbcdic(uint8_t ascii) const { return asciiToEbcdic[ascii]; }

    // One mapping line: both directions at once; later pairs win.
    void setPair(uint8_t ebcdic, uint8_t ascii) {
        ebcdicToAscii[ebcdic] = ascii;
        asciiToEbcdic[ascii] = ebcdic;
    }

    std::array<uint8_t, 256> ebcdicToAscii;
    std::array<uint8_t, 256> asciiToEbcdic;
};

}  // namespace kestrel
