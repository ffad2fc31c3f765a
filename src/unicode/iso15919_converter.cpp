// Iso15919Converter: internal code <-> ISO 15919 romanisation in UTF-16.
#include "unicode/iso15919_converter.h"

#include <exception>
#include <string>

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
    : table_(Iso15919Table()), shortcuts_(table_, SeparatesFollowingHa), decodeShortcuts_(table_) {}

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
  // Capitals are read as their small letters. The lower-cased copy belongs to
  // this call and ends after `length` units, so no text is matched across
  // that point.
  std::u16string lowered;
  try {
    lowered.assign(input, static_cast<std::size_t>(length));
  } catch (const std::exception&) {
    return 0;  // no memory for the copy: nothing decoded, the output stays empty
  }
  LowerLatin(lowered);
  return RunLoopWithShortSteps(
      lowered.c_str(), length, sink, kShortStepMax,
      [this](const char16_t* p, Byte* out) { return decodeShortcuts_.Step(p, out); },
      [this](const char16_t* p, Piece<Byte>& piece) { return DecodeStep(p, piece); });
}

}  // namespace tirmok
