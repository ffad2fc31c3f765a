// PhoneticKeyboardConverter: keystrokes of the phonetic keyboard scheme ("LPXKBD") -> internal code.
#pragma once

#include <cstdint>

#include "core/internal_code.h"
#include "core/mapping_table.h"
#include "core/piece.h"
#include "typing/key_shortcuts.h"

namespace tirmok {

class PhoneticKeyboardConverter {
 public:
  PhoneticKeyboardConverter();

  // Keystrokes in (`length` bytes, -1 for all), internal code out (`capacity`
  // bytes with the terminator). Returns the bytes consumed.
  std::int32_t Decode(const Byte* input, std::int32_t length, Byte* output,
                      std::int32_t capacity) const;

  // One step at `p` (inside a zero-terminated string): writes the piece and
  // returns the bytes consumed, 0 only at the terminator.
  std::int32_t DecodeStep(const Byte* p, Piece<Byte>& piece) const;

 private:
  std::int32_t ConsonantStep(const Match<Byte, Byte>& consonant, const Byte* p, Piece<Byte>& piece) const;

  // Keystrokes on the left, internal code on the right; only the left-keyed
  // arrays are read.
  MappingTable vowels_;
  MappingTable consonants_;
  MappingTable signs_;
  KeyShortcuts shortcuts_;  // made from the tables above, so declared after them
};

}  // namespace tirmok
