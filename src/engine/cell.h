// The bits of one presentation-space cell and of a 3270 field attribute.
#pragma once

#include <cstdint>

namespace kestrel::cell {

constexpr uint32_t CharacterMask = 0xFF;
// Bits 8-15 hold the attribute byte in an attribute cell; bit 8 alone is the
// typed mark in a character cell.
constexpr uint32_t AttributeByteMask = 0xFF00;
constexpr int AttributeByteShift = 8;
constexpr uint32_t TypedMark = 0x100;
constexpr uint32_t FieldAttribute = 0x10000;
constexpr uint32_t Blink = 0x20000;
constexpr uint32_t Reverse = 0x40000;
constexpr uint32_t Underscore = 0x80000;
constexpr uint32_t HighlightMask = Blink | Reverse | Underscore;
constexpr uint32_t ColourMask = 0x700000;
constexpr int ColourShift = 20;
constexpr uint32_t ExtendedField = 0x800000;
constexpr uint32_t ResetMark = 0x1000000;

// Field attribute bits, in cell position.
constexpr uint32_t Protected = 0x2000;
constexpr uint32_t Numeric = 0x1000;
constexpr uint32_t DisplayMask = 0xC00;
constexpr uint32_t DisplayIntensified = 0x800;
constexpr uint32_t DisplayNone = 0xC00;
constexpr uint32_t Modified = 0x100;

constexpr bool isAttribute(uint32_t c) {
    return (c & FieldAttribute) != 0;
}
constexpr uint32_t attributeCell(uint8_t attributeByte) {
    return FieldAttribute | (uint32_t(attributeByte) << AttributeByteShift);
}
constexpr uint32_t colour(uint32_t c) {
    return (c & ColourMask) >> ColourShift;
}

}  // namespace kestrel::cell
