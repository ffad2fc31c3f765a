// DateConverter: date words <-> Telugu words. Not yet filled in: every conversion is empty.
#include "date/date_converter.h"

namespace tirmok {

DateConverter::DateConverter() = default;

std::int32_t DateConverter::Convert(const Byte*, bool, Byte* output, std::int32_t capacity,
                                    const TransliterationConverter&, Byte*, Byte*, std::int32_t) const {
  if (output && capacity > 0) output[0] = 0;
  return 0;
}

}  // namespace tirmok
