// Octal escapes in text settings: a backslash and up to three octal digits
// stand for one byte, so a proxy login template or the line-mode Enter text
// can hold control characters ("\015\012" is CR LF).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kestrel {

// The bytes TEXT stands for. A backslash starts an escape whose value is built
// from up to three octal digits; the escape ends after the third digit, at a
// character that is not an octal digit (which is then read again as ordinary
// text), or at the end of the text, and its value is output as one byte (the
// low eight bits: "\777" gives 255). A backslash inside an escape outputs the
// value so far and starts a new escape. Every other character is copied.
//
// So a backslash before a character that is not an octal digit gives a zero
// byte and then that character, a lone trailing backslash gives a zero byte,
// and "\0101" gives the byte 8 and then '1'. The result is never longer than
// TEXT.
std::vector<uint8_t> decodeOctalEscapes(std::string_view text);

}  // namespace kestrel
