// FontEncodingConverter: internal code <-> legacy font glyph bytes ("ANSI"). Not yet filled in: every conversion is empty.
#include "font/font_encoding_converter.h"

namespace tirmok {

FontEncodingConverter::FontEncodingConverter() = default;

std::int32_t FontEncodingConverter::Decode(const Byte*, std::int32_t, Byte* output, std::int32_t capacity) const {
  if (output && capacity > 0) output[0] = 0;
  return 0;
}

std::int32_t FontEncodingConverter::Encode(const Byte*, std::int32_t, Byte* output, std::int32_t capacity) const {
  if (output && capacity > 0) output[0] = 0;
  return 0;
}

}  // namespace tirmok
