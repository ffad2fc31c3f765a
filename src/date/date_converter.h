// DateConverter: English weekday and month names and AM/PM <-> Telugu words in the transliteration scheme.
#pragma once

#include <cstdint>

#include "core/internal_code.h"

namespace tirmok {

class TransliterationConverter;

class DateConverter {
 public:
  DateConverter();

  // Converts a zero-terminated phrase into `output` (`capacity` bytes with the
  // terminator). Telugu input is first brought to the transliteration
  // encoder's spelling in `workA` and `workB`, which hold at least
  // `workCapacity` bytes each; the caller sizes them by the size rule for the
  // phrase. Returns the output's length in bytes.
  std::int32_t Convert(const Byte* phrase, bool fromEnglish, Byte* output, std::int32_t capacity,
                       const TransliterationConverter& transliteration, Byte* workA, Byte* workB,
                       std::int32_t workCapacity) const;
};

}  // namespace tirmok
