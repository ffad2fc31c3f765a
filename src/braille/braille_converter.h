// BrailleConverter: internal code -> North American ASCII Braille ("BRAILLE"), output only.
#pragma once

#include <cstdint>

#include "core/internal_code.h"
#include "core/properties.h"

namespace tirmok {

class BrailleConverter {
 public:
  BrailleConverter();

  // Internal code in (zero-terminated), ASCII Braille out (`capacity` bytes
  // with the terminator), whole words only. LPX_KEY_NEMETH, LPX_KEY_SUBSCRIPT
  // and LPX_KEY_SUPERSCRIPT in `properties` select the options. Returns the
  // output's length.
  std::int32_t Encode(const PropertyStore& properties, const Byte* input, Byte* output,
                      std::int32_t capacity) const;
};

}  // namespace tirmok
