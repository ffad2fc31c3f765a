// Iso15919AnsiConverter: internal code <-> ISO 15919 romanisation in 8 bits ("ISO15919_ANSI").
#pragma once

#include <cstdint>

#include "core/internal_code.h"
#include "core/mapping_table.h"
#include "core/piece.h"
#include "core/table_steps.h"
#include "unicode/iso15919_tables.h"

namespace tirmok {

class Iso15919AnsiConverter {
 public:
  Iso15919AnsiConverter();

  // Text of the format in (`length` bytes, -1 for all), internal code out
  // (`capacity` bytes with the terminator). Returns the bytes consumed.
  std::int32_t Decode(const Byte* input, std::int32_t length, Byte* output,
                      std::int32_t capacity) const;
  // Internal code in, text of the format out. Returns the bytes consumed.
  std::int32_t Encode(const Byte* input, std::int32_t length, Byte* output,
                      std::int32_t capacity) const;

  // One step of each direction at `p`: the rules Encode and Decode follow,
  // which their short steps restate for ordinary text.
  std::int32_t EncodeStep(const Byte* p, Piece<Byte>& piece) const;
  std::int32_t DecodeStep(const Byte* p, Piece<Byte>& piece) const;

 private:
  // Internal code on the left, the 8-bit text on the right.
  MappingTable table_;
  RomanisedShortcuts<Byte> shortcuts_;
  LatinDecodeShortcuts<Byte> decodeShortcuts_;
};

}  // namespace tirmok
