#include "mapping/display_charset.h"

#include <iconv.h>

#include <array>
#include <cerrno>

namespace kestrel {

const char* displayCodePageName(int fontCharset) {
    switch (fontCharset) {
        case 238:
            return "CP1250";
        case 204:
            return "CP1251";
        case 161:
            return "CP1253";
        case 162:
            return "CP1254";
        default:
            return "CP1252";
    }
}

std::string displayToUtf8(std::string_view bytes, int fontCharset) {
    // Converted one byte at a time so that an undefined byte costs one
    // replacement character and never the rest of the line.
    iconv_t converter = iconv_open("UTF-8", displayCodePageName(fontCharset));
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::string(bytes);
    }
    std::string text;
    text.reserve(bytes.size());
    for (char byte : bytes) {
        char in = byte;
        std::array<char, 8> out{};
        char* inPointer = &in;
        char* outPointer = out.data();
        size_t inLeft = 1;
        size_t outLeft = out.size();
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) == size_t(-1)) {
            text += "\xEF\xBF\xBD";
        } else {
            text.append(out.data(), outPointer);
        }
    }
    iconv_close(converter);
    return text;
}

std::string utf8ToDisplay(std::string_view text, int fontCharset) {
    iconv_t converter = iconv_open(displayCodePageName(fontCharset), "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::string(text);
    }
    std::string bytes;
    std::string input(text);
    char* inPointer = input.data();
    size_t inLeft = input.size();
    while (inLeft > 0) {
        std::array<char, 256> out{};
        char* outPointer = out.data();
        size_t outLeft = out.size();
        const size_t result = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
        bytes.append(out.data(), outPointer);
        if (result == size_t(-1) && errno != E2BIG) {
            // Not in the code page, or not UTF-8: one '?' for the whole character.
            bytes += '?';
            do {
                ++inPointer;
                --inLeft;
            } while (inLeft > 0 && (static_cast<unsigned char>(*inPointer) & 0xC0) == 0x80);
        }
    }
    iconv_close(converter);
    return bytes;
}

}  // namespace kestrel
