// Steps shared by the table converters of the Unicode family.
#pragma once

#include <cstdint>

#include "core/mapping_table.h"
#include "core/piece.h"

namespace tirmok {

// Decoding step over the right-keyed array of a wide table: the longest text
// that matches gives its internal code; otherwise a control run is copied, and
// any other unit becomes an escape. Returns the units consumed (0 at the end).
std::int32_t WideTableDecodeStep(const WideMappingTable& table, const char16_t* p, Piece<Byte>& piece);

// What an encoder into UTF-16 does with a byte no table holds: the end of the
// input (0), a control run, an escape (its unit; nothing for the value 0), or
// a byte without a form, which is dropped. Returns the bytes consumed.
std::int32_t WideEncodeFallback(const Byte* p, Piece<char16_t>& piece);

}  // namespace tirmok
