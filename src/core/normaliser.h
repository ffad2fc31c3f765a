// CodeNormaliser: folds variant internal codes into the normalised set every encoder can write.
#pragma once

#include <array>
#include <cstdint>

#include "core/mapping_table.h"

namespace tirmok {

class CodeNormaliser {
 public:
  CodeNormaliser();

  // The decoder of "LPXCODE": internal code in, normalised internal code out.
  // `length` is in bytes (-1 for the whole string), `capacity` includes the
  // terminator. Returns the number of input bytes consumed.
  std::int32_t Normalise(const Byte* input, std::int32_t length, Byte* output,
                         std::int32_t capacity) const;
  std::int32_t Decode(const Byte* input, std::int32_t length, Byte* output,
                      std::int32_t capacity) const {
    return Normalise(input, length, output, capacity);
  }

 private:
  MappingTable table_;  // left: the bytes replaced; right: their replacement
  // Bytes that are copied as they stand: controls, and bytes no key begins with.
  std::array<bool, 256> keptAsIs_{};
};

}  // namespace tirmok
