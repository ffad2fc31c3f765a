// Comparison in Telugu dictionary order: two strings of any comparable formats, by their collation strings.
#pragma once

#include <cstdint>

#include "collation/collation_stream.h"
#include "module/converter_set.h"
#include "module/formats.h"
#include "module/scratch_buffers.h"

namespace tirmok {

// Compares two terminated strings by their full collation strings (the
// hub's CollationString) in scratch buffers A and B, which must hold the
// required capacity for the longer string: -1, 0 or 1, and -1 when a format
// cannot be compared.
std::int32_t CompareCollationStrings(const ConverterSet& converters, ScratchBuffers& scratch, const void* string1,
                                     std::int32_t length1, Format format1, const void* string2,
                                     std::int32_t length2, Format format2);

// Compares two terminated strings in Telugu dictionary order, as
// CompareCollationStrings does. Most comparisons of Telugu words are decided
// within their first syllables, and the streams reach the answer without the
// full strings. Inline, so that a word pair decided by its first letters
// costs no call.
inline std::int32_t CompareWith(const ConverterSet& converters, ScratchBuffers& scratch, const void* string1,
                                std::int32_t length1, Format format1, const void* string2,
                                std::int32_t length2, Format format2) {
  if (const auto streamed = CompareStreams(converters, string1, length1, format1, string2, length2, format2)) {
    return *streamed;
  }
  return CompareCollationStrings(converters, scratch, string1, length1, format1, string2, length2, format2);
}

}  // namespace tirmok
