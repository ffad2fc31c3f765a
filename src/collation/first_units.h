// FirstCollationUnits: the first collation unit of a text, from its first UTF-16 unit alone where that decides it.
#pragma once

#include <array>
#include <cstdint>

#include "collation/collation_converter.h"
#include "core/text.h"
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
    if (unit < kUnitRangeSize) return units_[unit];
    const std::uint32_t index = static_cast<std::uint32_t>(unit) - kTeluguBlockFirst;
    return index < kUnitRangeSize ? units_[kUnitRangeSize + index] : char16_t{0};
  }

 private:
  std::array<char16_t, 2 * kUnitRangeSize> units_{};  // ASCII, then the Telugu block
};

}  // namespace tirmok
