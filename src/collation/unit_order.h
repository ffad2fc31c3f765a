// The order of collation units: the one place that says how two units compare.
#pragma once

#include <cstdint>

namespace tirmok {

// Comparison orders collation units by their low byte, then their high byte:
// the order of a unit's two bytes as a stored collation string holds them,
// low byte first. Every comparison of collation strings (full strings,
// streams, first letters) and the byte order of sort keys follow this.
//
// A unit's rank in that order: its bytes swapped, so that ranks compare as
// the units do.
constexpr std::uint32_t OrderRank(char16_t unit) {
  return (static_cast<std::uint32_t>(unit & 0xFFu) << 8) | static_cast<std::uint32_t>(unit >> 8);
}

// Two different collation units as comparison orders them: -1 when `x` comes
// first, 1 when `y` does. The order of their ranks, read byte by byte: the
// low bytes differ in most pairs, and this costs fewer instructions than
// building both ranks.
constexpr std::int32_t OrderOfUnits(char16_t x, char16_t y) {
  const unsigned lowX = x & 0xFFu, lowY = y & 0xFFu;
  if (lowX != lowY) return lowX < lowY ? -1 : 1;
  return (x >> 8) < (y >> 8) ? -1 : 1;
}

}  // namespace tirmok
