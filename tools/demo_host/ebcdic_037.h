// EBCDIC code page 037 (US) to and from ISO 8859-1, through the C library's
// iconv. The two code pages hold the same 256 characters, so a round trip is
// exact; the demo host keeps all text as Latin-1 strings and converts at the wire.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::demo_host {

// True when iconv knows IBM037; without it every conversion below gives '?'.
bool ebcdicAvailable();

std::vector<uint8_t> toEbcdic(std::string_view latin1);
uint8_t toEbcdic(char latin1);
std::string fromEbcdic(std::span<const uint8_t> ebcdic);
char fromEbcdic(uint8_t ebcdic);

// TEXT with every character outside printable ASCII replaced by '?', for the log.
std::string printable(std::string_view text);

}  // namespace kestrel::demo_host
