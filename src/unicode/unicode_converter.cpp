// UnicodeConverter: internal code <-> Telugu in UTF-16. Not yet filled in: every conversion is empty.
#include "unicode/unicode_converter.h"

#include "core/run_loop.h"

namespace tirmok {

UnicodeConverter::UnicodeConverter() = default;

std::int32_t UnicodeConverter::Decode(const char16_t*, std::int32_t, Byte* output,
                                      std::int32_t capacity) const {
  if (output && capacity > 0) output[0] = 0;
  return 0;
}

std::int32_t UnicodeConverter::Encode(const Byte*, std::int32_t, char16_t* output,
                                      std::int32_t capacity) const {
  if (output && capacity > 0) output[0] = 0;
  return 0;
}

std::int32_t UnicodeConverter::EncodeStep(const Byte*, Piece<char16_t>&) const { return 0; }

}  // namespace tirmok
