// InscriptConverter: keystrokes of the INSCRIPT layout ("INSCRIPT") -> internal code.
#pragma once

#include <cstdint>

#include "core/internal_code.h"
#include "core/mapping_table.h"
#include "core/piece.h"
#include "core/properties.h"
#include "typing/inscript_run.h"
#include "typing/key_shortcuts.h"

namespace tirmok {

class InscriptConverter {
 public:
  // Layout variants chosen by LPX_KEY_LANGUAGE; each retypes a few keys.
  enum class Language { kStandard, kBengali, kAssamese, kMarathi };

  InscriptConverter();

  // Keystrokes in (`length` bytes, -1 for all), internal code out (`capacity`
  // bytes with the terminator); LPX_KEY_LANGUAGE in `properties` selects the
  // layout variant. Returns the bytes consumed.
  std::int32_t Decode(const Byte* input, std::int32_t length, Byte* output, std::int32_t capacity,
                      const PropertyStore& properties) const;

  // The variant the property store selects (value compared without regard to case).
  static Language LanguageOf(const PropertyStore& properties);

  // One step at `p` (inside a zero-terminated string): writes the piece and
  // returns the bytes consumed, 0 only at the terminator.
  std::int32_t DecodeStep(const Byte* p, Piece<Byte>& piece, Language language) const;

 private:
  std::int32_t ConsonantStep(const Match<Byte, Byte>& consonant, const Byte* p, Piece<Byte>& piece,
                             Language language) const;

  // Keystrokes on the left, internal code on the right; only the left-keyed
  // arrays are read.
  MappingTable vowels_;
  MappingTable vowelSigns_;
  MappingTable consonants_;
  MappingTable signs_;
  KeyShortcuts shortcuts_;  // made from the tables above, so declared after them
  InscriptRun run_;
};

}  // namespace tirmok
