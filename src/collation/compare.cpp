// Comparison in Telugu dictionary order by the full collation strings.
#include "collation/compare.h"

#include "collation/unit_order.h"
#include "module/hub.h"

namespace tirmok {

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

}  // namespace tirmok
