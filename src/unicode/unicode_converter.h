// UnicodeConverter: internal code <-> Telugu in UTF-16 ("UNICODE"; "UTF-8" through the hub).
#pragma once

#include <cstdint>

#include "core/internal_code.h"
#include "core/mapping_table.h"
#include "core/piece.h"

namespace tirmok {

enum class UnicodeTable : int;

// Unicode writes a syllable in visual order (consonant, then its vowel sign or
// virama); the internal code writes it phonemically (bare consonants, then an
// explicit vowel byte, 100 for the inherent a). The steps translate between
// the two one syllable at a time.
class UnicodeConverter {
 public:
  static constexpr char16_t kVirama = 0x0C4D;

  static constexpr bool IsIndependentVowel(char16_t u) {
    return (u >= 0x0C05 && u <= 0x0C14) || u == 0x0C60 || u == 0x0C61;
  }
  static constexpr bool IsVowelSign(char16_t u) { return u >= 0x0C3E && u <= 0x0C4C; }

  UnicodeConverter();

  // UTF-16 in (`length` units, -1 for all), internal code out (`capacity` bytes
  // with the terminator). Returns the units consumed.
  std::int32_t Decode(const char16_t* input, std::int32_t length, Byte* output,
                      std::int32_t capacity) const;
  // Internal code in, UTF-16 out (`capacity` units with the terminator).
  // Returns the bytes consumed.
  std::int32_t Encode(const Byte* input, std::int32_t length, char16_t* output,
                      std::int32_t capacity) const;

  // One decoding step at `p`: a syllable, a sign, a control run or an escape.
  // Returns the units consumed (0 only at the terminator).
  std::int32_t DecodeStep(const char16_t* p, Piece<Byte>& piece) const;
  // One encoding step at `p`; the hub drives it directly for UTF-8 output.
  std::int32_t EncodeStep(const Byte* p, Piece<char16_t>& piece) const;

 private:
  // Adds a pair to the table with the given code; any other code adds nothing.
  void AddToTable(UnicodeTable table, const Units<Byte>& code, const Units<char16_t>& text,
                  int direction);

  // Nothing in this converter takes precedence over these four tables, so the
  // priority table that would be consulted before them is left out.
  WideMappingTable independentVowels_;
  WideMappingTable vowelSigns_;
  WideMappingTable consonants_;
  WideMappingTable otherSigns_;
};

}  // namespace tirmok
