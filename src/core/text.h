// Small text helpers every layer shares: ASCII case, strings cut at their first zero, aligned copies of 16-bit
// strings, and the ranges of units that per-unit tables keep.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tirmok {

// A unit with ASCII letters upper-cased and every other unit unchanged: how
// format names, property keys and values, English date words, member names
// and registry keys are matched without regard to case.
template <std::integral Unit>
constexpr Unit AsciiUpper(Unit c) {
  return (c >= Unit{'a'} && c <= Unit{'z'}) ? static_cast<Unit>(c - 'a' + 'A') : c;
}

template <std::integral Unit>
std::basic_string<Unit> AsciiUpper(std::basic_string<Unit> text) {
  for (Unit& c : text) c = AsciiUpper(c);
  return text;
}

// The text before its first zero unit (all of it when it has none). Zero
// units end a string in this library, so text is cut there, as the C
// functions would read it.
template <class Unit>
constexpr std::basic_string_view<Unit> UpToZero(std::basic_string_view<Unit> text) {
  return text.substr(0, text.find(Unit{0}));
}

// A copy of the `count` 16-bit units at `units`, which need not be aligned
// for char16_t (a caller's string of a 16-bit format may not be).
inline std::u16string AlignedCopy(const void* units, std::size_t count) {
  std::u16string copy(count, u'\0');
  std::memcpy(copy.data(), units, count * sizeof(char16_t));
  return copy;
}

// Tables indexed by unit keep two ranges of kUnitRangeSize units: ASCII, and
// the Telugu block from kTeluguBlockFirst.
inline constexpr char16_t kTeluguBlockFirst = 0x0C00;
inline constexpr std::uint32_t kUnitRangeSize = 0x80;

}  // namespace tirmok
