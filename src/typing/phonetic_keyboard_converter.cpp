// PhoneticKeyboardConverter: keystrokes -> internal code. Not yet filled in: every conversion is empty.
#include "typing/phonetic_keyboard_converter.h"

namespace tirmok {

PhoneticKeyboardConverter::PhoneticKeyboardConverter() = default;

std::int32_t PhoneticKeyboardConverter::Decode(const Byte*, std::int32_t, Byte* output,
                                               std::int32_t capacity) const {
  if (output && capacity > 0) output[0] = 0;
  return 0;
}

}  // namespace tirmok
