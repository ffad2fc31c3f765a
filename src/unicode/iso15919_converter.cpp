// Iso15919Converter: internal code <-> ISO 15919 romanisation in UTF-16.
#include "unicode/iso15919_converter.h"

#include <algorithm>
#include <cstddef>

#include "core/escape.h"
#include "core/run_loop.h"
#include "core/table_steps.h"
#include "unicode/iso15919_tables.h"
#include "unicode/latin_case.h"

namespace tirmok {
namespace {

// Consonants whose letter followed by h would read as their aspirate (k, g, c,
// j, ṭ, ḍ, t, d, p, b): a ha after them is written :h.
bool SeparatesFollowingHa(Byte lead) {
  switch (lead) {
    case 122: case 124: case 127: case 129: case 132:
    case 134: case 137: case 139: case 144: case 146:
      return true;
    default:
      return false;
  }
}

// The table is filled before the shortcuts copy from it.
WideMappingTable Iso15919Table() {
  WideMappingTable table;
  AddRomanisationRows(table, Iso15919Rows());
  return table;
}

}  // namespace

Iso15919Converter::Iso15919Converter()
    : table_(Iso15919Table()),
      shortcuts_(table_, SeparatesFollowingHa),
      decodeShortcuts_(table_),
      decodeRun_(table_, LowerLatin) {
  for (const auto& entry : table_.RightKeyed().Entries()) longestKey_ = std::max(longestKey_, entry.key.size);
}

std::int32_t Iso15919Converter::EncodeStep(const Byte* p, Piece<char16_t>& piece) const {
  if (const std::int32_t used = EncodeRomanisedMatch(table_, p, piece, SeparatesFollowingHa)) return used;
  return WideEncodeFallback(p, piece);  // a byte without a form is dropped
}

std::int32_t Iso15919Converter::Encode(const Byte* input, std::int32_t length, char16_t* output,
                                       std::int32_t capacity) const {
  BufferSink<char16_t> sink(output, capacity);
  if (!sink.Usable()) return 0;
  return shortcuts_.RunLoop(input, length, sink, kShortStepMax,
      [this](const Byte* p, Piece<char16_t>& piece) { return EncodeStep(p, piece); });
}

std::int32_t Iso15919Converter::EncodeUtf8(const Byte* input, Byte* output, std::int32_t capacity) const {
  Utf8Sink sink(output, capacity);
  const std::int32_t consumed = shortcuts_.RunLoop(input, -1, sink, kShortUtf8Max,
      [this](const Byte* p, Piece<char16_t>& piece) { return EncodeStep(p, piece); });
  sink.Finish();
  return consumed;
}

std::int32_t Iso15919Converter::Decode(const char16_t* input, std::int32_t length, Byte* output,
                                       std::int32_t capacity) const {
  BufferSink<Byte> sink(output, capacity);
  if (!sink.Usable() || input == nullptr) return 0;
  length = ResolveLength(input, length);
  if (length <= 0) return 0;
  // Capitals are read as their small letters, and no text is matched across
  // the end of the `length` units: the steps read lower-cased copies of the
  // text from where they stand, ending there. A copy holds all that a step
  // reads: its longest key, or after a control a run of at most 31 controls.
  static constexpr std::ptrdiff_t kWindow = 63;
  static_assert(Units<char16_t>::kMax < kWindow && 31 < kWindow);
  const char16_t* const end = input + length;
  const auto step = [this, end](const char16_t* p, Piece<Byte>& piece) {
    char16_t lowered[kWindow + 1];
    const std::ptrdiff_t n = std::min<std::ptrdiff_t>(IsControl(p[0]) ? kWindow : longestKey_, end - p);
    for (std::ptrdiff_t i = 0; i < n; ++i) lowered[i] = LowerLatin(p[i]);
    lowered[n] = 0;
    return DecodeStep(lowered, piece);
  };
  // The short step reads two units at most (keys of one or two units).
  const auto shortStep = [this, end](const char16_t* p, Byte* out) {
    const char16_t lowered[] = {LowerLatin(p[0]), end - p > 1 ? LowerLatin(p[1]) : char16_t{0}, 0};
    return decodeShortcuts_.Step(lowered, out);
  };
  // The runs read the unit after each of theirs, so the last unit is left to the steps.
  const auto shortRun = [this](const char16_t* p, std::int32_t count, Byte* out, const Byte* last) {
    return decodeRun_.Run(p, count - 1, out, last);
  };
  return RunResolvedWithShortRuns(input, length, sink, kShortStepMax, shortRun, shortStep, step);
}

}  // namespace tirmok
