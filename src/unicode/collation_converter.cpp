// CollationConverter: internal code <-> collation code. Not yet filled in: every conversion is empty.
#include "unicode/collation_converter.h"

namespace tirmok {

CollationConverter::CollationConverter() = default;

std::int32_t CollationConverter::Encode(const Byte*, std::int32_t, char16_t* output,
                                        std::int32_t capacity) const {
  if (output && capacity > 0) output[0] = 0;
  return 0;
}

std::int32_t CollationConverter::Decode(const char16_t*, std::int32_t, Byte* output,
                                        std::int32_t capacity) const {
  if (output && capacity > 0) output[0] = 0;
  return 0;
}

}  // namespace tirmok
