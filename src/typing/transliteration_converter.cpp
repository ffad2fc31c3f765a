// TransliterationConverter: internal code <-> the Latin transliteration ("TELTRANS"). Not yet filled in: every conversion is empty.
#include "typing/transliteration_converter.h"

namespace tirmok {

TransliterationConverter::TransliterationConverter() = default;

std::int32_t TransliterationConverter::Decode(const Byte*, std::int32_t, Byte* output, std::int32_t capacity) const {
  if (output && capacity > 0) output[0] = 0;
  return 0;
}

std::int32_t TransliterationConverter::Encode(const Byte*, std::int32_t, Byte* output, std::int32_t capacity) const {
  if (output && capacity > 0) output[0] = 0;
  return 0;
}

}  // namespace tirmok
