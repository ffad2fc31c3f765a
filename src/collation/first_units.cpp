// FirstCollationUnits: the first collation unit of a text, from its first UTF-16 unit alone.
#include "collation/first_units.h"

namespace tirmok {

FirstCollationUnits::FirstCollationUnits(const UnicodeConverter& unicode, const CollationConverter& collation) {
  const auto firstUnit = [&](char16_t unit) -> char16_t {
    const Byte code = unicode.FirstDecodedByte(unit);
    return code == 0 ? char16_t{0} : collation.UnitOf(code);
  };
  for (std::uint32_t i = 0; i < kUnitRangeSize; ++i) {
    units_[i] = firstUnit(static_cast<char16_t>(i));
    units_[kUnitRangeSize + i] = firstUnit(static_cast<char16_t>(kTeluguBlockFirst + i));
  }
}

}  // namespace tirmok
