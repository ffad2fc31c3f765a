// Iso15919Converter: internal code <-> ISO 15919 romanisation in UTF-16. Not yet filled in: every conversion is empty.
#include "unicode/iso15919_converter.h"

#include "core/run_loop.h"

namespace tirmok {

Iso15919Converter::Iso15919Converter() = default;

std::int32_t Iso15919Converter::Decode(const char16_t*, std::int32_t, Byte* output,
                                      std::int32_t capacity) const {
  if (output && capacity > 0) output[0] = 0;
  return 0;
}

std::int32_t Iso15919Converter::Encode(const Byte*, std::int32_t, char16_t* output,
                                      std::int32_t capacity) const {
  if (output && capacity > 0) output[0] = 0;
  return 0;
}

std::int32_t Iso15919Converter::EncodeStep(const Byte*, Piece<char16_t>&) const { return 0; }

}  // namespace tirmok
