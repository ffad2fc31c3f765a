// BrailleConverter: internal code -> North American ASCII Braille ("BRAILLE"), output only.
#include "braille/braille_converter.h"

#include <algorithm>
#include <cstddef>
#include <span>

#include "braille/braille_tables.h"
#include "tirmok/tirmok.h"

namespace tirmok {
namespace {

// Cells the rules write by themselves.
constexpr Byte kNumberSignCell = '#';   // dots 3 4 5 6
constexpr Byte kNoVowelCell = '@';      // dot 4, before a consonant without vowel
constexpr Byte kSubscriptCell = ';';    // dots 5 6
constexpr Byte kSuperscriptCell = '^';  // dots 4 5
constexpr Byte kOpenQuoteCell = '8';    // dots 2 3 6
constexpr Byte kCloseQuoteCell = '0';   // dots 3 5 6

// Signs that may stand inside a number without ending it (apostrophe and
// hyphen-minus, full stop have names of their own in the internal code).
constexpr Byte kAsterisk = 42;
constexpr Byte kPlusSign = 43;
constexpr Byte kComma = 44;
constexpr Byte kSolidus = 47;
constexpr Byte kColon = 48;
constexpr Byte kReverseSolidus = 56;

constexpr std::int32_t kControlRunMax = 31;

// Words end at whitespace; the whitespace byte belongs to the word it ends.
constexpr bool IsDelimiter(Byte b) {
  return b == code::kSpace || b == code::kTab || b == code::kCarriageReturn || b == code::kLineFeed;
}

constexpr bool KeepsNumberSign(Byte k) {
  return k == code::kApostrophe || k == kAsterisk || k == kPlusSign || k == kComma ||
         k == code::kHyphenMinus || k == code::kFullStop || k == kSolidus || k == kColon ||
         k == kReverseSolidus;
}

}  // namespace

BrailleConverter::BrailleConverter() {
  const struct {
    MappingTable* table;
    std::span<const CellRow> rows;
  } tables[] = {
      {&consonants_, ConsonantCellRows()}, {&vowels_, VowelCellRows()},
      {&signs_, SignCellRows()},           {&numbers_, NumberCellRows()},
      {&nemeth_, NemethCellRows()},
  };
  for (const auto& t : tables)
    for (const CellRow& row : t.rows) t.table->AddEntry(row.key, row.cells, MappingTable::kLeftKeyed);
}

std::int32_t BrailleConverter::Encode(const PropertyStore& properties, const Byte* input, Byte* output,
                                      std::int32_t capacity, bool* whole) const {
  if (whole != nullptr) *whole = false;
  if (output == nullptr || capacity < 1) return 0;
  output[0] = code::kEnd;
  if (input == nullptr) return 0;

  const Options options{PropertyEquals(properties, LPX_KEY_NEMETH, "TRUE"),
                        PropertyEquals(properties, LPX_KEY_SUBSCRIPT, "TRUE"),
                        PropertyEquals(properties, LPX_KEY_SUPERSCRIPT, "TRUE")};
  State state;
  std::int64_t length = 0;
  // Words have no length limit: however long a run without whitespace is, it
  // is one word, and only the caller's capacity ends the output (at a word's
  // end). A word is measured first and written only when all of it fits, so
  // nothing after the terminator is touched.
  for (const Byte* word = input;;) {
    const Byte* end = word;
    while (*end != code::kEnd && !IsDelimiter(*end)) ++end;
    const bool more = *end != code::kEnd;
    if (more) ++end;
    const std::int64_t room = capacity - 1 - length;
    State trial = state;
    if (EncodeWord(word, end, options, trial, nullptr, room) < 0) break;
    length += EncodeWord(word, end, options, state, output + length, room);
    output[length] = code::kEnd;
    if (!more) {
      if (whole != nullptr) *whole = true;
      break;
    }
    word = end;
  }
  return static_cast<std::int32_t>(length);
}

std::int64_t BrailleConverter::EncodeWord(const Byte* word, const Byte* end, const Options& options,
                                          State& state, Byte* out, std::int64_t room) const {
  state.numberSign = false;
  state.inNumber = false;
  state.hyphen = false;
  std::int64_t count = 0;
  const auto put = [&](std::span<const Byte> cells) {
    const auto n = static_cast<std::int64_t>(cells.size());
    if (count + n > room) return false;
    if (out != nullptr) std::copy(cells.begin(), cells.end(), out + count);
    count += n;
    return true;
  };
  // Every word, even an empty last one, carries the indicator.
  if (options.subscript || options.superscript) {
    const Byte prefix[] = {options.subscript ? kSubscriptCell : kSuperscriptCell};
    if (!put(prefix)) return -1;
  }
  Piece<Byte> unit;
  for (const Byte* p = word; p < end;) {
    unit.Clear();
    p += EncodeStep(p, end, options, state, unit);
    if (!put(unit.View())) return -1;
  }
  return count;
}

std::int32_t BrailleConverter::EncodeStep(const Byte* p, const Byte* end, const Options& options,
                                          State& state, Piece<Byte>& unit) const {
  // Look-ahead stays inside the word: past its end reads as the terminator.
  // Table keys hold no whitespace after their first byte, so a match never
  // runs past the delimiter that ends the word.
  const std::ptrdiff_t left = end - p;
  const auto at = [&](std::ptrdiff_t i) { return i < left ? p[i] : code::kEnd; };

  if (IsLetter(p[0])) {
    if (const auto consonant = consonants_.MatchLeft(p)) {
      const std::int32_t n = consonant.length;
      const Byte vowel = at(n);
      if (!IsVowel(vowel)) {
        unit.Push(kNoVowelCell);
        unit.Append(consonant.value);
        return n;
      }
      unit.Append(consonant.value);
      // The inherent vowel is not written, unless a vowel or a joiner follows
      // it: then it is written out, so the next vowel cannot read as its sign.
      const Byte next = at(n + 1);
      if (vowel == code::kVowelA && !IsVowel(next) && next != code::kJoiner && next != code::kSeparator)
        return n + 1;
      // A vowel without a cell (110) adds nothing and is left for the next unit.
      const auto sign = vowels_.MatchLeft(p + n);
      unit.Append(sign.value);
      return n + sign.length;
    }
    if (const auto vowel = vowels_.MatchLeft(p)) {
      unit.Append(vowel.value);
      return vowel.length;
    }
  }

  // A number runs from a digit through the bytes that are followed by a digit;
  // letters with a cell (handled above) neither start nor end one.
  state.inNumber = IsDigit(p[0]) || (state.inNumber && IsDigit(at(1)));
  if (state.inNumber) {
    if (const auto cells = numbers_.MatchLeft(p)) {
      unit.Append(cells.value);
      return cells.length;
    }
  }

  Match<Byte, Byte> sign;
  if (options.nemeth) sign = nemeth_.MatchLeft(p);
  if (!sign) sign = signs_.MatchLeft(p);
  if (sign) {
    const Byte k = sign.key[0];
    if (IsDigit(k)) {
      // One number sign per number; the subscript and superscript indicators
      // already mark the word, so there it is left out.
      if (!state.numberSign && !options.subscript && !options.superscript) {
        unit.Push(kNumberSignCell);
        state.numberSign = true;
      }
    } else if (!KeepsNumberSign(k)) {
      state.numberSign = false;
    }
    // Two hyphens in a row end the number.
    if (k == code::kHyphenMinus) {
      if (state.hyphen) state.numberSign = false;
      state.hyphen = true;
    } else {
      state.hyphen = false;
    }
    unit.Append(sign.value);
    if (k == code::kQuotationMark) {
      state.quoteOpen = !state.quoteOpen;
      unit.Clear();
      unit.Push(state.quoteOpen ? kOpenQuoteCell : kCloseQuoteCell);
    }
    return sign.length;
  }

  // Nothing matched. Control characters pass through in runs; anything else,
  // an escape included, is left out.
  if (IsControl(p[0])) {
    std::int32_t n = 0;
    while (n < kControlRunMax && n < left && IsControl(p[n])) unit.Push(p[n++]);
    return n;
  }
  // An escape cut short by the end of the word takes only what is left of it.
  if (p[0] == code::kEscapeLead)
    return static_cast<std::int32_t>(std::min<std::ptrdiff_t>(kEscapeLength, left));
  return 1;
}

}  // namespace tirmok
