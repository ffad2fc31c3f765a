// Comparison in Telugu dictionary order.
#include "collation/compare.h"

#include "collation/collation_stream.h"
#include "collation/unit_order.h"
#include "module/hub.h"

namespace tirmok {
namespace {

// The comparison of the two full collation strings.
std::int32_t CompareCollationStrings(const ConverterSet& converters, ScratchBuffers& scratch, const void* string1,
                                     std::int32_t length1, Format format1, const void* string2,
                                     std::int32_t length2, Format format2) {
  if (!CollationString(converters, scratch, string1, length1, format1, scratch.WideA())) return -1;
  if (!CollationString(converters, scratch, string2, length2, format2, scratch.WideB())) return -1;
  const char16_t* a = scratch.WideA();
  const char16_t* b = scratch.WideB();
  // Unit by unit. The shorter string's terminator takes part, so a proper
  // prefix sorts first.
  for (std::int32_t i = 0;; ++i) {
    if (a[i] != b[i]) return OrderOfUnits(a[i], b[i]);
    if (a[i] == 0) return 0;
  }
}

}  // namespace

std::int32_t CompareWith(const ConverterSet& converters, ScratchBuffers& scratch, const void* string1,
                         std::int32_t length1, Format format1, const void* string2,
                         std::int32_t length2, Format format2) {
  // Most comparisons of Telugu words are decided within their first
  // syllables; the streams reach the answer without the full strings.
  if (const auto streamed = CompareStreams(converters, string1, length1, format1, string2, length2, format2)) {
    return *streamed;
  }
  return CompareCollationStrings(converters, scratch, string1, length1, format1, string2, length2, format2);
}

}  // namespace tirmok
