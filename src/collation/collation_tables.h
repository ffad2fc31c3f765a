// Table of the collation converter: the collation unit of each byte of the internal code.
#pragma once

#include <span>

#include "core/internal_code.h"

namespace tirmok {

// A run of internal bytes whose collation units rise one for one from `unit`.
struct CollationRange {
  Byte first;
  Byte last;
  char16_t unit;
};

std::span<const CollationRange> CollationRanges();

}  // namespace tirmok
