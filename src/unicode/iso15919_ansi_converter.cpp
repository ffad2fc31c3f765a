// Iso15919AnsiConverter: internal code <-> ISO 15919 romanisation in 8 bits.
#include "unicode/iso15919_ansi_converter.h"

#include "core/escape.h"
#include "core/run_loop.h"
#include "unicode/iso15919_tables.h"

namespace tirmok {
namespace {

// Consonants whose letter may be followed by a ha that must stay apart from
// it (k, g, c, ch, j, ṭ, ḍ, t, d, p, b, ś, s): the ha is written :h. This is
// the set of the transliteration scheme, larger than the aspirates alone.
bool SeparatesFollowingHa(Byte lead) {
  switch (lead) {
    case 122: case 124: case 127: case 128: case 129: case 132: case 134:
    case 137: case 139: case 144: case 146: case 158: case 160:
      return true;
    default:
      return false;
  }
}

// Written for an escape whose character has no byte of its own.
constexpr Byte kQuestionMark = '?';
constexpr Byte kAsciiLast = 127;

// The table is filled before the shortcuts copy from it.
MappingTable Iso15919AnsiTable() {
  MappingTable table;
  AddRomanisationRows(table, Iso15919AnsiRows());
  return table;
}

}  // namespace

Iso15919AnsiConverter::Iso15919AnsiConverter()
    : table_(Iso15919AnsiTable()), shortcuts_(table_, SeparatesFollowingHa), decodeShortcuts_(table_) {}

std::int32_t Iso15919AnsiConverter::EncodeStep(const Byte* p, Piece<Byte>& piece) const {
  if (const std::int32_t used = EncodeRomanisedMatch(table_, p, piece, SeparatesFollowingHa)) return used;
  const Byte b = p[0];
  if (b == code::kEnd) return 0;
  if (IsControl(b)) return CopyControlRun(p, piece);
  if (b == code::kEscapeLead) {
    // Only characters 1 to 255 have a byte in this format.
    const EscapeRead escape = ReadEscape(p);
    piece.Push(escape.value >= 1 && escape.value <= 0xFF ? static_cast<Byte>(escape.value) : kQuestionMark);
    return escape.consumed;
  }
  return 1;  // a byte without a form is dropped
}

std::int32_t Iso15919AnsiConverter::DecodeStep(const Byte* p, Piece<Byte>& piece) const {
  if (const auto match = table_.MatchRight(p)) {
    piece.Append(match.value);
    return match.length;
  }
  const Byte b = p[0];
  if (b == code::kEnd) return 0;
  if (IsControl(b)) return CopyControlRun(p, piece);
  // The ASCII bytes without an entry (the capitals, x and 127) are kept as
  // escapes, which this encoder writes back as the same byte; the bytes of
  // the upper half without an entry are not letters of the font and are dropped.
  if (b <= kAsciiLast) AppendEscape(piece, b);
  return 1;
}

std::int32_t Iso15919AnsiConverter::Encode(const Byte* input, std::int32_t length, Byte* output,
                                           std::int32_t capacity) const {
  BufferSink<Byte> sink(output, capacity);
  if (!sink.Usable()) return 0;
  return shortcuts_.RunLoop(input, length, sink, kShortStepMax,
      [this](const Byte* p, Piece<Byte>& piece) { return EncodeStep(p, piece); });
}

std::int32_t Iso15919AnsiConverter::Decode(const Byte* input, std::int32_t length, Byte* output,
                                           std::int32_t capacity) const {
  return RunLoopWithShortSteps(
      input, length, output, capacity, [this](const Byte* p, Byte* out) { return decodeShortcuts_.Step(p, out); },
      [this](const Byte* p, Piece<Byte>& piece) { return DecodeStep(p, piece); });
}

}  // namespace tirmok
