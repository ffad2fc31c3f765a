// CollationConverter: internal code <-> the collation code ("COLLCODE") that comparison rests on.
#pragma once

#include <array>
#include <cstdint>

#include "core/internal_code.h"
#include "core/mapping_table.h"
#include "core/piece.h"
#include "core/run_loop.h"

namespace tirmok {

// The collation code gives every byte of the normalised internal code one
// private-use unit, rising with the byte, so collation strings compared unit
// by unit sort in Telugu dictionary order.
class CollationConverter {
 public:
  CollationConverter();

  // Internal code in, collation units out (`capacity` units with the terminator).
  std::int32_t Encode(const Byte* input, std::int32_t length, char16_t* output,
                      std::int32_t capacity) const;
  // Collation units in (`length` units, -1 for all), internal code out.
  std::int32_t Decode(const char16_t* input, std::int32_t length, Byte* output,
                      std::int32_t capacity) const;
  // The same for a length already measured.
  std::int32_t Decode(const char16_t* input, MeasuredLength length, Byte* output, std::int32_t capacity) const;

  // One step each way. Returns the units consumed (0 only at the terminator).
  std::int32_t EncodeStep(const Byte* p, Piece<char16_t>& piece) const;
  std::int32_t DecodeStep(const char16_t* p, Piece<Byte>& piece) const;

  // The unit a byte's encoding step writes when the byte has one of its own
  // (the step then consumes just that byte); 0 for any other byte (controls,
  // escapes, bytes without a unit), whose step only EncodeStep knows.
  char16_t UnitOf(Byte b) const { return units_[b]; }

 private:
  template <class Length>
  std::int32_t DecodeRuns(const char16_t* input, Length length, Byte* output, std::int32_t capacity) const;

  // The collation units lie in 0xE600 to 0xE6FF (see the ranges).
  static constexpr char16_t kFirstUnit = 0xE600;

  WideMappingTable table_;  // one internal byte <-> one collation unit
  std::array<char16_t, 256> units_{};
  // The byte a unit of kFirstUnit + i decodes to when its decoding step is
  // that unit alone, made from the table; 0 for any other unit.
  std::array<Byte, 256> bytes_{};
};

}  // namespace tirmok
