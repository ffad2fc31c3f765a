// BrailleConverter: internal code -> North American ASCII Braille ("BRAILLE"), output only.
#pragma once

#include <cstdint>

#include "core/internal_code.h"
#include "core/mapping_table.h"
#include "core/piece.h"
#include "core/properties.h"

namespace tirmok {

class BrailleConverter {
 public:
  BrailleConverter();

  // Internal code in (zero-terminated), ASCII Braille out (`capacity` bytes
  // with the terminator), whole words only. LPX_KEY_NEMETH, LPX_KEY_SUBSCRIPT
  // and LPX_KEY_SUPERSCRIPT in `properties` select the options. Returns the
  // output's length; `whole` (when given) says whether every word was written.
  std::int32_t Encode(const PropertyStore& properties, const Byte* input, Byte* output,
                      std::int32_t capacity, bool* whole = nullptr) const;

 private:
  // The options a conversion reads from the property store when it starts.
  struct Options {
    bool nemeth = false;
    bool subscript = false;
    bool superscript = false;
  };

  // Everything a conversion remembers between units. The quote flag lasts the
  // whole conversion; the other three are cleared at the start of each word.
  struct State {
    bool quoteOpen = false;
    bool numberSign = false;  // the number sign is written for the current number
    bool inNumber = false;    // the current byte belongs to a number
    bool hyphen = false;      // the previous sign was a hyphen-minus
  };

  // Encodes the word [word, end) into at most `room` cells, writing them to
  // `out` unless it is null. Returns the number of cells, or -1 (with nothing
  // more written) as soon as they exceed `room`.
  std::int64_t EncodeWord(const Byte* word, const Byte* end, const Options& options, State& state,
                          Byte* out, std::int64_t room) const;

  // Encodes one unit at `p` (before `end`, the end of its word) into `unit`.
  // Returns the number of input bytes consumed, at least 1.
  std::int32_t EncodeStep(const Byte* p, const Byte* end, const Options& options, State& state,
                          Piece<Byte>& unit) const;

  MappingTable consonants_;  // left: internal code; value: cells
  MappingTable vowels_;
  MappingTable signs_;
  MappingTable numbers_;     // signs inside a number
  MappingTable nemeth_;      // only with the Nemeth option
};

}  // namespace tirmok
