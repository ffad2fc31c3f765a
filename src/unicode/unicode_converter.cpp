// UnicodeConverter: internal code <-> Telugu in UTF-16. The plain rules, a
// step at a time; Decode and Encode try the fast tiers of
// unicode_fast_tiers.h first and fall back to these steps.
#include "unicode/unicode_converter.h"

#include <type_traits>

#include "core/escape.h"
#include "core/run_loop.h"
#include "core/table_steps.h"
#include "unicode/unicode_encode_run.h"
#include "unicode/unicode_fast_tiers.h"
#include "unicode/unicode_tables.h"

namespace tirmok {

UnicodeConverter::UnicodeConverter() {
  for (const UnicodeRow& row : UnicodeRows()) {
    AddToTable(row.table, Units<Byte>(reinterpret_cast<const char*>(row.code)), Units<char16_t>(row.text));
  }
  MakeShortcuts();
  MakeBlockTables();
}

void UnicodeConverter::AddToTable(UnicodeTable table, const Units<Byte>& code, const Units<char16_t>& text) {
  switch (table) {
    case UnicodeTable::kIndependentVowels:
      independentVowels_.AddEntry(code, text);
      break;
    case UnicodeTable::kVowelSigns:
      vowelSigns_.AddEntry(code, text);
      break;
    case UnicodeTable::kConsonants:
      consonants_.AddEntry(code, text);
      break;
    case UnicodeTable::kOtherSigns:
      otherSigns_.AddEntry(code, text);
      break;
  }
}

std::int32_t UnicodeConverter::DecodeStep(const char16_t* p, Piece<Byte>& piece) const {
  if (const auto consonant = consonants_.MatchRight(p)) {
    piece.Append(consonant.value);
    const std::int32_t length = consonant.length;
    const char16_t next = p[length];
    if (IsVowelSign(next)) {
      // A sign without an entry is left for the next step, which escapes it.
      const auto sign = vowelSigns_.MatchRight(p + length);
      piece.Append(sign.value);
      return length + sign.length;
    }
    if (next == kVirama) {
      // A bare consonant directly before a vowel needs the separator, or the
      // vowel would become its vowel sign.
      const char16_t after = p[length + 1];
      if (IsIndependentVowel(after) || IsVowelSign(after)) piece.Push(code::kSeparator);
      return length + 1;
    }
    piece.Push(code::kVowelA);
    return length;
  }
  if (const auto vowel = independentVowels_.MatchRight(p)) {
    piece.Append(vowel.value);
    return vowel.length;
  }
  if (const auto sign = otherSigns_.MatchRight(p)) {
    piece.Append(sign.value);
    return sign.length;
  }
  if (p[0] == 0) return 0;
  if (IsControl(p[0])) return CopyControlRun(p, piece);
  AppendEscape(piece, p[0]);
  return 1;
}

std::int32_t UnicodeConverter::EncodeStep(const Byte* p, Piece<char16_t>& piece) const {
  const Byte b = p[0];
  if (IsLetter(b)) {
    if (const auto consonant = consonants_.MatchLeft(p)) {
      piece.Append(consonant.value);
      const std::int32_t length = consonant.length;
      const Byte next = p[length];
      if (!IsVowel(next)) {
        piece.Push(kVirama);
        return length;
      }
      if (next == code::kVowelA) return length + 1;  // the inherent vowel has no sign
      // A vowel without a sign (such as 108) is left for the next step, which drops it.
      const auto sign = vowelSigns_.MatchLeft(p + length);
      piece.Append(sign.value);
      return length + sign.length;
    }
    if (const auto vowel = independentVowels_.MatchLeft(p)) {
      piece.Append(vowel.value);
      return vowel.length;
    }
  }
  if (const auto sign = otherSigns_.MatchLeft(p)) {
    piece.Append(sign.value);
    return sign.length;
  }
  return WideEncodeFallback(p, piece);  // no Unicode form: dropped
}

std::int32_t UnicodeConverter::Decode(const char16_t* input, std::int32_t length, Byte* output,
                                      std::int32_t capacity) const {
  return DecodeRuns(BestUtf16BlockReader(), input, length, output, capacity);
}

std::int32_t UnicodeConverter::Decode(const char16_t* input, MeasuredLength length, Byte* output,
                                      std::int32_t capacity) const {
  return DecodeRuns(BestUtf16BlockReader(), input, length, output, capacity);
}

std::int32_t UnicodeConverter::DecodeWith(Utf16BlockReader reader, const char16_t* input, std::int32_t length,
                                          Byte* output, std::int32_t capacity) const {
  return DecodeRuns(reader, input, length, output, capacity);
}

template <class Length>
std::int32_t UnicodeConverter::DecodeRuns(Utf16BlockReader reader, const char16_t* input, Length length,
                                          Byte* output, std::int32_t capacity) const {
  BufferSink<Byte> sink(output, capacity);
  if (!sink.Usable()) return 0;
  return RunLoopWithShortRuns(
      input, length, sink, kShortStepMax,
      [this, reader](const char16_t* p, std::int32_t count, Byte* out, const Byte* last) {
        // Whole blocks while the input and the room last (`last` leaves room
        // for a short step), then a unit at a time.
        BlockSteps blocks{0, 0};
        if (reader != nullptr) {
          blocks = reader(blockTables_, p, count, out, static_cast<std::int32_t>(last - out) + kShortStepMax);
        }
        const ShortStepResult rest =
            DecodeRun(p + blocks.consumed, count - blocks.consumed, out + blocks.written, last);
        return ShortStepResult{blocks.consumed + rest.consumed, blocks.written + rest.written};
      },
      DecodeShortStep(), [this](const char16_t* p, Piece<Byte>& piece) { return DecodeStep(p, piece); });
}

template <class Sink>
std::int32_t UnicodeConverter::EncodeInto(const Byte* input, std::int32_t length, Sink& sink) const {
  constexpr bool kUtf8 = std::is_same_v<Sink, Utf8Sink>;
  using Out = std::conditional_t<kUtf8, Byte, char16_t>;
  return RunLoopWithShortRuns(
      input, length, sink, kUtf8 ? kShortUtf8Max : kShortStepMax,
      [this](const Byte* p, std::int32_t count, Out* out, const Out* last) { return EncodeRun(p, count, out, last); },
      EncodeShortStep<Out>(), [this](const Byte* p, Piece<char16_t>& piece) { return EncodeStep(p, piece); });
}

std::int32_t UnicodeConverter::Encode(const Byte* input, std::int32_t length, char16_t* output,
                                      std::int32_t capacity) const {
  BufferSink<char16_t> sink(output, capacity);
  if (!sink.Usable()) return 0;
  return EncodeInto(input, length, sink);
}

std::int32_t UnicodeConverter::EncodeUtf8(const Byte* input, Byte* output, std::int32_t capacity) const {
  Utf8Sink sink(output, capacity);
  const std::int32_t consumed = EncodeInto(input, -1, sink);
  sink.Finish();
  return consumed;
}

}  // namespace tirmok
