// BrailleConverter: internal code -> ASCII Braille. Not yet filled in: every conversion is empty.
#include "braille/braille_converter.h"

namespace tirmok {

BrailleConverter::BrailleConverter() = default;

std::int32_t BrailleConverter::Encode(const PropertyStore&, const Byte*, Byte* output,
                                      std::int32_t capacity) const {
  if (output && capacity > 0) output[0] = 0;
  return 0;
}

}  // namespace tirmok
