// CodeNormaliser: folds variant internal codes into the normalised set every encoder can write.
#pragma once

#include <array>
#include <cstdint>
#include <span>

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
  // The same from the plain steps alone, a step at a time: the reference the
  // runs of Normalise are tested against.
  std::int32_t NormaliseStepByStep(const Byte* input, std::int32_t length, Byte* output,
                                   std::int32_t capacity) const;
  std::int32_t Decode(const Byte* input, std::int32_t length, Byte* output,
                      std::int32_t capacity) const {
    return Normalise(input, length, output, capacity);
  }

 private:
  // What one step writes and consumes at `p` (not an escape): the
  // replacement of the longest key there, or the byte as it stands.
  struct Step {
    std::span<const Byte> text;
    std::int32_t used;
  };
  Step StepAt(const Byte* p) const;
  // The loop of both: with `kRuns`, bytes that the step would leave as they
  // stand are copied a run at a time.
  template <bool kRuns>
  std::int32_t Run(const Byte* input, std::int32_t length, Byte* output, std::int32_t capacity) const;
  // Whether the step at a byte, before the byte `next`, consumes that byte
  // alone and writes it unchanged: made from StepAt on every pair of bytes.
  bool Unchanged(Byte b, Byte next) const { return ((unchanged_[b][next >> 6] >> (next & 63)) & 1) != 0; }

  MappingTable table_;  // left: the bytes replaced; right: their replacement
  std::array<std::array<std::uint64_t, 4>, 256> unchanged_{};
  // Bytes unchanged whatever follows them.
  std::array<bool, 256> keptAsIs_{};
  // Bytes unchanged whatever follows them among bytes that are all passable
  // themselves: the runs' test of eight bytes at once.
  std::array<bool, 256> passable_{};
};

}  // namespace tirmok
