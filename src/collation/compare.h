// Comparison in Telugu dictionary order: two strings of any comparable formats, by their collation strings.
#pragma once

#include <cstdint>

#include "module/converter_set.h"
#include "module/formats.h"
#include "module/scratch_buffers.h"

namespace tirmok {

// Compares two terminated strings in Telugu dictionary order: -1, 0 or 1, and
// -1 when a format cannot be compared. The streams decide most comparisons;
// the rest compare the two full collation strings (the hub's
// CollationString) in scratch buffers A and B, which must hold the required
// capacity for the longer string.
std::int32_t CompareWith(const ConverterSet& converters, ScratchBuffers& scratch, const void* string1,
                         std::int32_t length1, Format format1, const void* string2,
                         std::int32_t length2, Format format2);

}  // namespace tirmok
