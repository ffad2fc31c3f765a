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

}  // namespace tirmok
