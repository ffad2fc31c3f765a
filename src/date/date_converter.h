// DateConverter: English weekday and month names and AM/PM <-> Telugu words in the transliteration scheme.
#pragma once

#include <cstdint>

#include "core/internal_code.h"
#include "core/mapping_table.h"

namespace tirmok {

class TransliterationConverter;

class DateConverter {
 public:
  DateConverter();

  // Converts a zero-terminated phrase into `output` (`capacity` bytes with the
  // terminator). Telugu input is first brought to the transliteration
  // encoder's spelling in `workA` and `workB`, which hold at least
  // `workCapacity` bytes each; the caller sizes them by the size rule for the
  // phrase; without them a Telugu phrase gives an empty output. Output stops
  // before the first piece (a whole word, or one byte) that does not fit with
  // the terminator. A null pointer or a capacity below 1 writes nothing.
  // Returns the output's length in bytes.
  std::int32_t Convert(const Byte* phrase, bool fromEnglish, Byte* output, std::int32_t capacity,
                       const TransliterationConverter& transliteration, Byte* workA, Byte* workB,
                       std::int32_t workCapacity) const;

 private:
  // Left: English word in capitals; right: Telugu word. Entries are kept in
  // the order of addition, and a lookup takes the first that matches.
  MappingTable table_;
};

}  // namespace tirmok
