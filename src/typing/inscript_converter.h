// InscriptConverter: keystrokes of the INSCRIPT layout ("INSCRIPT") -> internal code.
#pragma once

#include <cstdint>

#include "core/internal_code.h"
#include "core/properties.h"

namespace tirmok {

class InscriptConverter {
 public:
  InscriptConverter();

  // Keystrokes in (`length` bytes, -1 for all), internal code out (`capacity`
  // bytes with the terminator); LPX_KEY_LANGUAGE in `properties` selects the
  // layout variant. Returns the bytes consumed.
  std::int32_t Decode(const Byte* input, std::int32_t length, Byte* output, std::int32_t capacity,
                      const PropertyStore& properties) const;
};

}  // namespace tirmok
