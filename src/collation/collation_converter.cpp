// CollationConverter: internal code <-> collation code.
#include "collation/collation_converter.h"

#include <algorithm>

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
  for (std::uint32_t i = 0; i < bytes_.size(); ++i) {
    const auto group = ShortGroup<char16_t, Byte>::Of(table_.RightKeyed(), kFirstUnit + i);
    if (group.state == ShortGroup<char16_t, Byte>::State::kDecided && group.entries[0].size == 1) {
      bytes_[i] = group.entries[0].value[0];
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
  // Such steps in a row, as many as begin before the end and fit.
  const auto shortRun = [this](const Byte* p, std::int32_t count, char16_t* out,
                               const char16_t* last) -> ShortStepResult {
    const auto n = static_cast<std::int32_t>(std::min<std::ptrdiff_t>(count, last - out + 1));
    std::int32_t i = 0;
    for (; i < n; ++i) {
      const char16_t unit = units_[p[i]];
      if (unit == 0) break;
      out[i] = unit;
    }
    return {i, i};
  };
  BufferSink<char16_t> sink(output, capacity);
  if (!sink.Usable()) return 0;
  return RunLoopWithShortRuns(input, length, sink, kShortStepMax, shortRun, shortStep,
                              [this](const Byte* p, Piece<char16_t>& piece) { return EncodeStep(p, piece); });
}

template <class Length>
std::int32_t CollationConverter::DecodeRuns(const char16_t* input, Length length, Byte* output,
                                            std::int32_t capacity) const {
  // The short form of DecodeStep's table lookup (guarded by the collation
  // decoding tests of tests/fast_paths_test.cpp): a unit whose step is that
  // unit alone writes its byte; any other unit (controls, escapes, the end,
  // units outside the collation range) goes to DecodeStep.
  const auto shortStep = [this](const char16_t* p, Byte* out) -> ShortStepResult {
    const auto i = static_cast<std::uint32_t>(p[0]) - kFirstUnit;
    if (i >= bytes_.size() || bytes_[i] == 0) return {0, 0};
    out[0] = bytes_[i];
    return {1, 1};
  };
  // Such steps in a row, as many as begin before the end and fit.
  const auto shortRun = [this](const char16_t* p, std::int32_t count, Byte* out,
                               const Byte* last) -> ShortStepResult {
    const auto n = static_cast<std::int32_t>(std::min<std::ptrdiff_t>(count, last - out + 1));
    std::int32_t i = 0;
    for (; i < n; ++i) {
      const auto k = static_cast<std::uint32_t>(p[i]) - kFirstUnit;
      if (k >= bytes_.size() || bytes_[k] == 0) break;
      out[i] = bytes_[k];
    }
    return {i, i};
  };
  BufferSink<Byte> sink(output, capacity);
  if (!sink.Usable()) return 0;
  return RunLoopWithShortRuns(input, length, sink, kShortStepMax, shortRun, shortStep,
                              [this](const char16_t* p, Piece<Byte>& piece) { return DecodeStep(p, piece); });
}

std::int32_t CollationConverter::Decode(const char16_t* input, std::int32_t length, Byte* output,
                                        std::int32_t capacity) const {
  return DecodeRuns(input, length, output, capacity);
}

std::int32_t CollationConverter::Decode(const char16_t* input, MeasuredLength length, Byte* output,
                                        std::int32_t capacity) const {
  return DecodeRuns(input, length, output, capacity);
}

}  // namespace tirmok
