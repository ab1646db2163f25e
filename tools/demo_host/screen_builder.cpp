#include "demo_host/screen_builder.h"

#include "demo_host/ebcdic_037.h"
#include "engine/vt.h"

namespace kestrel::demo_host {

namespace {

constexpr uint8_t kSetBufferAddress = 0x11;
constexpr uint8_t kStartField = 0x1D;
constexpr uint8_t kStartFieldExtended = 0x29;
constexpr uint8_t kSetAttribute = 0x28;
constexpr uint8_t kInsertCursor = 0x13;
constexpr uint8_t kRepeatToAddress = 0x3C;
constexpr uint8_t kAttributeType = 0xC0;
constexpr uint8_t kHighlightType = 0x41;
constexpr uint8_t kColourType = 0x42;

// The attribute byte in its graphic form, as hosts send it.
uint8_t attributeByte(uint8_t attribute) {
    return vt::sixBitCode(attribute & 0x3F);
}

}  // namespace

ScreenBuilder::ScreenBuilder(uint8_t command, uint8_t wcc)
    : bytes_{command, vt::sixBitCode(wcc & 0x3F)} {}

void ScreenBuilder::address(int row, int column) {
    const auto encoded = vt::encodeAddress(row * kColumns + column);
    bytes_.insert(bytes_.end(), encoded.begin(), encoded.end());
}

ScreenBuilder& ScreenBuilder::at(int row, int column) {
    bytes_.push_back(kSetBufferAddress);
    address(row, column);
    return *this;
}

ScreenBuilder& ScreenBuilder::field(uint8_t attribute) {
    bytes_.push_back(kStartField);
    bytes_.push_back(attributeByte(attribute));
    return *this;
}

ScreenBuilder& ScreenBuilder::fieldExtended(uint8_t attribute, uint8_t colour, uint8_t highlight) {
    bytes_.push_back(kStartFieldExtended);
    bytes_.push_back(highlight != 0 ? 3 : 2);
    bytes_.insert(bytes_.end(), {kAttributeType, attributeByte(attribute), kColourType, colour});
    if (highlight != 0) {
        bytes_.insert(bytes_.end(), {kHighlightType, highlight});
    }
    return *this;
}

ScreenBuilder& ScreenBuilder::colour(uint8_t colour) {
    bytes_.insert(bytes_.end(), {kSetAttribute, kColourType, colour});
    return *this;
}

ScreenBuilder& ScreenBuilder::resetAttributes() {
    bytes_.insert(bytes_.end(), {kSetAttribute, 0x00, 0x00});
    return *this;
}

ScreenBuilder& ScreenBuilder::cursor() {
    bytes_.push_back(kInsertCursor);
    return *this;
}

ScreenBuilder& ScreenBuilder::repeatTo(int row, int column, uint8_t character) {
    bytes_.push_back(kRepeatToAddress);
    address(row, column);
    bytes_.push_back(character);
    return *this;
}

ScreenBuilder& ScreenBuilder::text(std::string_view latin1) {
    for (char c : latin1) {
        const auto byte = static_cast<uint8_t>(c);
        bytes_.push_back(byte < 0x20 || (byte >= 0x7F && byte < 0xA0) ? 0x40 : toEbcdic(c));
    }
    return *this;
}

}  // namespace kestrel::demo_host
