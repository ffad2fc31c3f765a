// PhoneticKeyboardConverter: keystrokes of the phonetic keyboard scheme ("LPXKBD") -> internal code.
#pragma once

#include <cstdint>

#include "core/internal_code.h"

namespace tirmok {

class PhoneticKeyboardConverter {
 public:
  PhoneticKeyboardConverter();

  // Keystrokes in (`length` bytes, -1 for all), internal code out (`capacity`
  // bytes with the terminator). Returns the bytes consumed.
  std::int32_t Decode(const Byte* input, std::int32_t length, Byte* output,
                      std::int32_t capacity) const;
};

}  // namespace tirmok
