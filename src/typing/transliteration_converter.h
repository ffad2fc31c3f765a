// TransliterationConverter: internal code <-> the Latin transliteration ("TELTRANS").
#pragma once

#include <cstdint>

#include "core/internal_code.h"
#include "core/mapping_table.h"
#include "core/piece.h"

namespace tirmok {

// The plain-ASCII, case-sensitive romanisation. It mirrors the internal code
// token for token: a consonant is written bare, every vowel (the inherent a
// included) is written out. Four tables pair Latin forms (left) with internal
// code (right); they are built once and only read afterwards, and every call
// keeps its working state on its own stack, so calls may run concurrently.
class TransliterationConverter {
 public:
  TransliterationConverter();

  // Text of the format in (`length` bytes, -1 for all), internal code out
  // (`capacity` bytes with the terminator). Returns the bytes consumed.
  std::int32_t Decode(const Byte* input, std::int32_t length, Byte* output,
                      std::int32_t capacity) const;
  // Internal code in, text of the format out. Returns the bytes consumed.
  std::int32_t Encode(const Byte* input, std::int32_t length, Byte* output,
                      std::int32_t capacity) const;

  // One step at `p` (a position in a zero-terminated string): writes the
  // step's output into `piece` and returns the bytes consumed, 0 only at the
  // terminator.
  std::int32_t DecodeStep(const Byte* p, Piece<Byte>& piece) const;
  std::int32_t EncodeStep(const Byte* p, Piece<Byte>& piece) const;

 private:
  MappingTable words_;
  MappingTable vowels_;
  MappingTable consonants_;
  MappingTable signs_;
};

}  // namespace tirmok
