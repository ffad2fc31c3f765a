// CollationConverter: internal code <-> collation code.
#include "collation/collation_converter.h"

#include "collation/collation_tables.h"
#include "core/escape.h"
#include "core/run_loop.h"
#include "core/short_match.h"
#include "core/table_steps.h"

namespace tirmok {

CollationConverter::CollationConverter() {
  for (const CollationRange& range : CollationRanges()) {
    for (int b = range.first; b <= range.last; ++b) {
      table_.AddEntry({b}, {range.unit + (b - range.first)});
    }
  }
  for (std::uint32_t b = 0; b < 256; ++b) {
    const auto group = ShortGroup<Byte, char16_t>::Of(table_.LeftKeyed(), b);
    if (group.state == ShortGroup<Byte, char16_t>::State::kDecided && group.entries[0].size == 1) {
      units_[b] = group.entries[0].value[0];
    }
  }
}

std::int32_t CollationConverter::EncodeStep(const Byte* p, Piece<char16_t>& piece) const {
  if (const auto match = table_.MatchLeft(p)) {
    piece.Append(match.value);
    return match.length;
  }
  return WideEncodeFallback(p, piece);  // no collation unit: takes no part in comparison
}

std::int32_t CollationConverter::DecodeStep(const char16_t* p, Piece<Byte>& piece) const {
  return WideTableDecodeStep(table_, p, piece);
}

std::int32_t CollationConverter::Encode(const Byte* input, std::int32_t length, char16_t* output,
                                        std::int32_t capacity) const {
  // A byte with a unit of its own is its own step.
  const auto shortStep = [this](const Byte* p, char16_t* out) -> ShortStepResult {
    const char16_t unit = units_[p[0]];
    if (unit == 0) return {0, 0};
    out[0] = unit;
    return {1, 1};
  };
  return RunLoopWithShortSteps(input, length, output, capacity, shortStep,
                               [this](const Byte* p, Piece<char16_t>& piece) { return EncodeStep(p, piece); });
}

std::int32_t CollationConverter::Decode(const char16_t* input, std::int32_t length, Byte* output,
                                        std::int32_t capacity) const {
  return RunLoop(input, length, output, capacity,
                 [this](const char16_t* p, Piece<Byte>& piece) { return DecodeStep(p, piece); });
}

}  // namespace tirmok
