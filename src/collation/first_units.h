// FirstCollationUnits: the first collation unit of a text, from its first UTF-16 unit alone where that decides it.
#pragma once

#include <array>
#include <cstdint>

#include "collation/collation_converter.h"
#include "unicode/unicode_converter.h"

namespace tirmok {

// Most comparisons of Telugu words are decided by their first letters. For
// every unit of ASCII and of the Telugu block this keeps the first unit of
// the collation string of any text that begins with it, when the unit alone
// decides that (every decoding step starting with it writes the same first
// byte, and that byte has a collation unit); 0 otherwise, and 0 for every
// other unit.
class FirstCollationUnits {
 public:
  FirstCollationUnits(const UnicodeConverter& unicode, const CollationConverter& collation);

  char16_t Of(char16_t unit) const {
    if (unit < kRangeSize) return units_[unit];
    const std::uint32_t index = static_cast<std::uint32_t>(unit) - kBlockFirst;
    return index < kRangeSize ? units_[kRangeSize + index] : char16_t{0};
  }

 private:
  static constexpr char16_t kBlockFirst = 0x0C00;
  static constexpr std::uint32_t kRangeSize = 0x80;

  std::array<char16_t, 2 * kRangeSize> units_{};  // ASCII, then the Telugu block
};

}  // namespace tirmok
