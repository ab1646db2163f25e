// Windows virtual-key codes: the key codes the keyboard map, the engine and
// the macro files speak, whatever the platform the keys come from.
#pragma once

namespace kestrel::vk {

inline constexpr int kBackspace = 0x08;
inline constexpr int kReturn = 0x0D;
inline constexpr int kControl = 0x11;
inline constexpr int kPause = 0x13;
inline constexpr int kEscape = 0x1B;
inline constexpr int kPageUp = 0x21;
inline constexpr int kPageDown = 0x22;
inline constexpr int kEnd = 0x23;
inline constexpr int kHome = 0x24;
inline constexpr int kPrint = 0x2C;
inline constexpr int kDelete = 0x2E;
inline constexpr int kMultiply = 0x6A;
inline constexpr int kAdd = 0x6B;
inline constexpr int kSubtract = 0x6D;
inline constexpr int kDivide = 0x6F;
inline constexpr int kF1 = 0x70;
inline constexpr int kF12 = 0x7B;
inline constexpr int kScroll = 0x91;

}  // namespace kestrel::vk
