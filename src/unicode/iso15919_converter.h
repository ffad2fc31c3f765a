// Iso15919Converter: internal code <-> ISO 15919 romanisation in UTF-16 ("ISO15919"; "ISO15919_UTF_8" through the hub).
#pragma once

#include <cstdint>

#include "core/internal_code.h"
#include "core/mapping_table.h"
#include "core/piece.h"
#include "core/table_steps.h"
#include "unicode/iso15919_decode_run.h"
#include "unicode/iso15919_tables.h"

namespace tirmok {

class Iso15919Converter {
 public:
  Iso15919Converter();

  // UTF-16 in (`length` units, -1 for all), internal code out (`capacity` bytes
  // with the terminator). Returns the units consumed.
  std::int32_t Decode(const char16_t* input, std::int32_t length, Byte* output,
                      std::int32_t capacity) const;
  // Internal code in, UTF-16 out (`capacity` units with the terminator).
  // Returns the bytes consumed.
  std::int32_t Encode(const Byte* input, std::int32_t length, char16_t* output,
                      std::int32_t capacity) const;

  // The whole of `input` encoded into the UTF-8 form of Encode's output
  // (`capacity` bytes with the terminator); the hub's "ISO15919_UTF_8" output.
  // Returns the bytes of `input` consumed.
  std::int32_t EncodeUtf8(const Byte* input, Byte* output, std::int32_t capacity) const;

  // One encoding step at `p`: the rules Encode and EncodeUtf8 follow, which
  // their short steps restate for ordinary text.
  std::int32_t EncodeStep(const Byte* p, Piece<char16_t>& piece) const;
  // One decoding step at `p` in lower-cased text: the rules Decode follows
  // after lower-casing, which its short steps restate.
  std::int32_t DecodeStep(const char16_t* p, Piece<Byte>& piece) const { return WideTableDecodeStep(table_, p, piece); }

 private:
  WideMappingTable table_;
  RomanisedShortcuts<char16_t> shortcuts_;
  LatinDecodeShortcuts<char16_t> decodeShortcuts_;
  RomanisedDecodeRun decodeRun_;
  std::int32_t longestKey_ = 0;  // in units, of the keys Decode reads
};

}  // namespace tirmok
