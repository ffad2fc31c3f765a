// CollationConverter: internal code <-> the collation code ("COLLCODE") that comparison rests on.
#pragma once

#include <cstdint>

#include "core/internal_code.h"

namespace tirmok {

class CollationConverter {
 public:
  CollationConverter();

  // Internal code in, collation units out (`capacity` units with the terminator).
  std::int32_t Encode(const Byte* input, std::int32_t length, char16_t* output,
                      std::int32_t capacity) const;
  // Collation units in (`length` units, -1 for all), internal code out.
  std::int32_t Decode(const char16_t* input, std::int32_t length, Byte* output,
                      std::int32_t capacity) const;
};

}  // namespace tirmok
