// Octal-escape decoding: a small state machine over the characters of the text.
#include "net/octal_escapes.h"

namespace kestrel {

std::vector<uint8_t> decodeOctalEscapes(std::string_view text) {
    std::vector<uint8_t> out;
    out.reserve(text.size());
    bool inEscape = false;
    unsigned value = 0;
    int digits = 0;

    for (const char c : text) {
        if (inEscape) {
            if (c >= '0' && c <= '7') {
                value = value * 8 + static_cast<unsigned>(c - '0');
                if (++digits == 3) {
                    out.push_back(static_cast<uint8_t>(value));
                    inEscape = false;
                }
                continue;
            }
            // The escape ends here; C is then read as ordinary text, and a
            // backslash begins the next escape at once.
            out.push_back(static_cast<uint8_t>(value));
            inEscape = false;
        }
        if (c == '\\') {
            inEscape = true;
            value = 0;
            digits = 0;
        } else {
            out.push_back(static_cast<uint8_t>(c));
        }
    }
    if (inEscape) {
        out.push_back(static_cast<uint8_t>(value));
    }
    return out;
}

}  // namespace kestrel
