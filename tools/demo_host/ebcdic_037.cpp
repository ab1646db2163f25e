#include "demo_host/ebcdic_037.h"

#include <iconv.h>

#include <array>

namespace kestrel::demo_host {

namespace {

struct Tables {
    bool available = false;
    std::array<uint8_t, 256> toEbcdic{};
    std::array<uint8_t, 256> fromEbcdic{};
};

// Converts all 256 byte values at once; true when iconv took every one of them.
bool convertAll(const char* to, const char* from, std::array<uint8_t, 256>& result) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    std::array<char, 256> input{};
    for (int i = 0; i < 256; ++i) {
        input[i] = static_cast<char>(i);
    }
    std::array<char, 256> output{};
    char* in = input.data();
    char* out = output.data();
    size_t inLeft = input.size();
    size_t outLeft = output.size();
    const size_t converted = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    if (converted == static_cast<size_t>(-1) || inLeft != 0 || outLeft != 0) {
        return false;
    }
    for (int i = 0; i < 256; ++i) {
        result[i] = static_cast<uint8_t>(output[i]);
    }
    return true;
}

const Tables& tables() {
    static const Tables instance = [] {
        Tables t;
        t.available = convertAll("IBM037", "ISO-8859-1", t.toEbcdic) &&
                      convertAll("ISO-8859-1", "IBM037", t.fromEbcdic);
        if (!t.available) {
            t.toEbcdic.fill(0x6F);  // '?' in code page 037
            t.fromEbcdic.fill('?');
        }
        return t;
    }();
    return instance;
}

}  // namespace

bool ebcdicAvailable() {
    return tables().available;
}

uint8_t toEbcdic(char latin1) {
    return tables().toEbcdic[static_cast<uint8_t>(latin1)];
}

char fromEbcdic(uint8_t ebcdic) {
    return static_cast<char>(tables().fromEbcdic[ebcdic]);
}

std::vector<uint8_t> toEbcdic(std::string_view latin1) {
    std::vector<uint8_t> result;
    result.reserve(latin1.size());
    for (char c : latin1) {
        result.push_back(toEbcdic(c));
    }
    return result;
}

std::string fromEbcdic(std::span<const uint8_t> ebcdic) {
    std::string result;
    result.reserve(ebcdic.size());
    for (uint8_t b : ebcdic) {
        result.push_back(fromEbcdic(b));
    }
    return result;
}

std::string printable(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c < 0x20 || c > 0x7E) {
            c = '?';
        }
    }
    return result;
}

}  // namespace kestrel::demo_host
