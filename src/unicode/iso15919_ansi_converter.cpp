// Iso15919AnsiConverter: internal code <-> ISO 15919 romanisation in 8 bits ("ISO15919_ANSI"). Not yet filled in: every conversion is empty.
#include "unicode/iso15919_ansi_converter.h"

namespace tirmok {

Iso15919AnsiConverter::Iso15919AnsiConverter() = default;

std::int32_t Iso15919AnsiConverter::Decode(const Byte*, std::int32_t, Byte* output, std::int32_t capacity) const {
  if (output && capacity > 0) output[0] = 0;
  return 0;
}

std::int32_t Iso15919AnsiConverter::Encode(const Byte*, std::int32_t, Byte* output, std::int32_t capacity) const {
  if (output && capacity > 0) output[0] = 0;
  return 0;
}

}  // namespace tirmok
