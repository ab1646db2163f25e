// The bits of one DisplayCell: a display character and its display flags.
#pragma once

#include <cstdint>

namespace kestrel::display {

constexpr uint32_t CharacterMask = 0xFF;
constexpr uint32_t Intensified = 0x800;
constexpr uint32_t Selected = 0x1000;
constexpr uint32_t Protected = 0x2000;
constexpr uint32_t Formatted = 0x10000;
constexpr uint32_t Blink = 0x20000;
constexpr uint32_t Reverse = 0x40000;
constexpr uint32_t Underscore = 0x80000;
constexpr uint32_t HighlightMask = Blink | Reverse | Underscore;
constexpr uint32_t ColourMask = 0x700000;
constexpr int ColourShift = 20;
constexpr uint32_t Cursor = 0x800000;

constexpr uint32_t colour(uint32_t c) {
    return (c & 7) << ColourShift;
}

}  // namespace kestrel::display
