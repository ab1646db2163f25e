// Plays the terminal side against the demo host in unit tests: frames records,
// splits the host's output into records, builds Read Modified replies, and
// applies the host's writes to a plain character screen so tests can look at
// rows, field attributes and the cursor.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "demo_host/ebcdic_037.h"
#include "engine/vt.h"

namespace kestrel::demo_host::test {

using Bytes = std::vector<uint8_t>;

inline Bytes framed(const Bytes& record) {
    Bytes out;
    for (uint8_t b : record) {
        out.push_back(b);
        if (b == 0xFF) {
            out.push_back(0xFF);
        }
    }
    out.insert(out.end(), {0xFF, 0xEF});
    return out;
}

// The records in OUTPUT (undoubled, without IAC EOR); telnet commands are
// skipped, bytes after the last IAC EOR are ignored.
inline std::vector<Bytes> recordsIn(const Bytes& output) {
    std::vector<Bytes> records;
    Bytes current;
    for (size_t i = 0; i < output.size(); ++i) {
        if (output[i] != 0xFF || i + 1 >= output.size()) {
            current.push_back(output[i]);
            continue;
        }
        const uint8_t next = output[++i];
        if (next == 0xFF) {
            current.push_back(0xFF);
        } else if (next == 0xEF) {
            records.push_back(std::move(current));
            current.clear();
        } else if (next >= 251 && next <= 254) {
            ++i;
        }
    }
    return records;
}

struct SentField {
    int address;
    std::string text;
    bool fourteenBit = false;
};

inline Bytes readModified(uint8_t aid, int cursor, std::initializer_list<SentField> fields) {
    Bytes record{aid};
    const auto c = vt::encodeAddress(cursor);
    record.insert(record.end(), c.begin(), c.end());
    for (const SentField& f : fields) {
        record.push_back(0x11);
        if (f.fourteenBit) {
            record.insert(record.end(), {static_cast<uint8_t>(f.address >> 8),
                                         static_cast<uint8_t>(f.address & 0xFF)});
        } else {
            const auto a = vt::encodeAddress(f.address);
            record.insert(record.end(), a.begin(), a.end());
        }
        const Bytes text = toEbcdic(f.text);
        record.insert(record.end(), text.begin(), text.end());
    }
    return record;
}

// The screen as the host's writes leave it: characters as Latin-1, field
// attributes (their six significant bits) and their colours kept apart.
class TestScreen {
  public:
    explicit TestScreen(int rows = 24) : rows_(rows) { clear(); }

    int rows() const { return rows_; }
    int cursor() const { return cursor_; }
    // The last write's command byte.
    uint8_t command() const { return command_; }

    // Applies one host record; false when it holds something this screen does
    // not expect from the demo host.
    bool apply(const Bytes& r) {
        if (r.size() < 2) {
            return false;
        }
        command_ = r[0];
        if (r[0] == 0xF5 || r[0] == 0x7E) {
            rows_ = r[0] == 0x7E ? 32 : 24;
            clear();
        } else if (r[0] != 0xF1) {
            return false;
        }
        int address = cursor_;
        uint8_t colour = 0;
        size_t i = 2;
        auto decode = [&](size_t at) { return vt::decodeAddress(r[at], r[at + 1]); };
        while (i < r.size()) {
            const uint8_t b = r[i];
            if (b == 0x11 && i + 2 < r.size()) {
                address = decode(i + 1);
                i += 3;
            } else if (b == 0x1D && i + 1 < r.size()) {
                setAttribute(address++, r[i + 1] & 0x3F, 0);
                i += 2;
            } else if (b == 0x29 && i + 1 < r.size()) {
                const size_t pairs = r[i + 1];
                uint8_t attribute = 0;
                uint8_t fieldColour = 0;
                for (size_t p = 0; p < pairs && i + 3 + 2 * p < r.size(); ++p) {
                    const uint8_t type = r[i + 2 + 2 * p];
                    const uint8_t value = r[i + 3 + 2 * p];
                    if (type == 0xC0) {
                        attribute = value & 0x3F;
                    } else if (type == 0x42) {
                        fieldColour = value;
                    }
                }
                setAttribute(address++, attribute, fieldColour);
                i += 2 + 2 * pairs;
            } else if (b == 0x28 && i + 2 < r.size()) {
                colour = r[i + 1] == 0x42 ? r[i + 2] : 0;
                i += 3;
            } else if (b == 0x13) {
                cursor_ = address;
                ++i;
            } else if (b == 0x3C && i + 3 < r.size()) {
                const int stop = decode(i + 1);
                do {
                    put(address++, r[i + 3], colour);
                } while (address % cells() != stop);
                i += 4;
            } else if (b >= 0x40 && b != 0xFF) {
                put(address++, b, colour);
                ++i;
            } else {
                return false;
            }
            address %= cells();
        }
        return true;
    }

    std::string row(int r) const { return text_.substr(r * 80, 80); }
    // The text of ROW from COLUMN up to the next attribute or the row's end, trailing blanks cut.
    std::string textAt(int row, int column) const {
        std::string result;
        for (int a = row * 80 + column; a < (row + 1) * 80 && attributes_[a] < 0; ++a) {
            result.push_back(text_[a]);
        }
        return result.substr(0, result.find_last_not_of(' ') + 1);
    }
    // The attribute at ADDRESS (-1 when the cell holds a character).
    int attribute(int address) const { return attributes_[address]; }
    uint8_t colour(int address) const { return colours_[address]; }
    bool contains(std::string_view text) const { return text_.find(text) != std::string::npos; }

  private:
    int cells() const { return rows_ * 80; }
    void clear() {
        text_.assign(cells(), ' ');
        attributes_.assign(cells(), -1);
        colours_.assign(cells(), 0);
        cursor_ = 0;
    }
    void put(int address, uint8_t code, uint8_t colour) {
        address %= cells();
        text_[address] = code == 0 ? ' ' : fromEbcdic(code);
        attributes_[address] = -1;
        colours_[address] = colour;
    }
    void setAttribute(int address, uint8_t attribute, uint8_t colour) {
        address %= cells();
        text_[address] = ' ';
        attributes_[address] = attribute;
        colours_[address] = colour;
    }

    int rows_;
    int cursor_ = 0;
    uint8_t command_ = 0;
    std::string text_;
    std::vector<int> attributes_;
    std::vector<uint8_t> colours_;
};

}  // namespace kestrel::demo_host::test
