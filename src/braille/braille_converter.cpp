// BrailleConverter: internal code <-> North American ASCII Braille ("BRAILLE").
#include "braille/braille_converter.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <span>

#include "braille/braille_cells.h"
#include "braille/braille_tables.h"
#include "core/escape.h"
#include "core/normaliser.h"
#include "core/run_loop.h"
#include "tirmok/tirmok.h"

namespace tirmok {

using namespace braille;

BrailleConverter::BrailleConverter() {
  const struct {
    MappingTable* table;
    std::span<const CellRow> rows;
  } tables[] = {
      {&consonants_, ConsonantCellRows()}, {&vowels_, VowelCellRows()},
      {&signs_, SignCellRows()},           {&numbers_, NumberCellRows()},
      {&nemeth_, NemethCellRows()},
  };
  for (const auto& t : tables) {
    for (const CellRow& row : t.rows) {
      t.table->AddEntry(row.key, row.cells, MappingTable::kLeftKeyed);
      longestCells_ = std::max<std::int64_t>(longestCells_, row.cells.size);
    }
  }

  // The reader knows the cells of the internal code the encoder is given,
  // which the normaliser has folded first; of two keys with the same cells
  // the first row's is read back. The digits, and the cells that the reading
  // rules read themselves (quotes, parentheses, the question mark), have no
  // place in the sign tables.
  const CodeNormaliser normaliser;
  const auto normalised = [&normaliser](const Units<Byte>& key) {
    Byte folded[2 * Units<Byte>::kMax + 1];
    normaliser.Normalise(key.data, key.size, folded, sizeof folded);
    return std::equal(key.data, key.data + key.size, folded) && folded[key.size] == code::kEnd;
  };
  const auto readRule = [](const CellRow& row) {
    const Byte k = row.key.data[0];
    return k == code::kQuotationMark || k == kQuestionMark || k == kLeftParenthesis || k == kRightParenthesis ||
           (row.key.size == 2 && (k == code::kApostrophe || k == kLeftSingleQuote));
  };
  const auto add = [&](MappingTable& table, std::span<const CellRow> rows, auto&& wanted) {
    for (const CellRow& row : rows)
      if (row.cells.size > 0 && normalised(row.key) && wanted(row))
        table.AddEntry(row.key, row.cells, MappingTable::kRightKeyed);
  };
  const auto all = [](const CellRow&) { return true; };
  const auto digits = [](const CellRow& row) { return IsDigit(row.key.data[0]); };
  add(consonantReadings_, ConsonantCellRows(), all);
  add(vowelReadings_, VowelCellRows(), all);
  add(signReadings_, SignCellRows(), [&](const CellRow& row) { return !digits(row) && !readRule(row); });
  add(digitReadings_, SignCellRows(), digits);
  add(nemethReadings_, NemethCellRows(), [&](const CellRow& row) { return !digits(row); });
  add(nemethDigitReadings_, NemethCellRows(), digits);
  add(numberReadings_, NumberCellRows(), all);

  const std::string_view byDots = AsciiBrailleByDots();
  for (std::size_t dots = 0; dots < byDots.size(); ++dots) {
    const auto cell = static_cast<Byte>(byDots[dots]);
    patternOfCell_[cell] = static_cast<char16_t>(kBraillePatterns + dots);
    cellOfPattern_[dots] = cell;
  }
  for (std::size_t b = 0; b < unitOfCell_.size(); ++b) {
    unitOfCell_[b] = b < patternOfCell_.size() && patternOfCell_[b] != 0 ? patternOfCell_[b] : static_cast<char16_t>(b);
  }
  BuildShortcuts();
}

std::int32_t BrailleConverter::EncodeUnicode(const PropertyStore& properties, const Byte* input, char16_t* output,
                                             std::int32_t capacity, bool* whole) const {
  return EncodeCells(properties, input, output, capacity, whole);
}

std::int32_t BrailleConverter::CellsToPatterns(const Byte* input, std::int32_t length, char16_t* output,
                                               std::int32_t capacity) const {
  return RunLoop(input, length, output, capacity, [this](const Byte* p, Piece<char16_t>& unit) {
    unit.Push(CellUnit(p[0], static_cast<char16_t*>(nullptr)));
    return 1;
  });
}

std::int32_t BrailleConverter::PatternsToCells(const char16_t* input, std::int32_t length, Byte* output,
                                               std::int32_t capacity) const {
  return RunLoop(input, length, output, capacity, [this](const char16_t* p, Piece<Byte>& unit) {
    const char16_t u = p[0];
    if (u >= kBraillePatterns && u < kBraillePatterns + cellOfPattern_.size()) {
      unit.Push(cellOfPattern_[u - kBraillePatterns]);
    } else if (u <= code::kSpace) {
      unit.Push(static_cast<Byte>(u));
    }
    return 1;
  });
}

template <bool kFast>
std::int32_t BrailleConverter::DecodePatterns(const PropertyStore& properties, const char16_t* input,
                                              std::int32_t length, Byte* work, std::int32_t workCapacity,
                                              Byte* output, std::int32_t capacity) const {
  if (input == nullptr || work == nullptr || workCapacity < 1) return 0;
  const std::int32_t n = ResolveLength(input, length);
  std::int32_t used = 0;
  std::int32_t consumed = 0;
  Piece<Byte> cell;
  // Held apart from the object: writes to the work buffer could be to anything.
  const Byte* const cellOfPattern = cellOfPattern_.data();
  for (; consumed < n; ++consumed) {
    const char16_t u = input[consumed];
    // A pattern, space or control character while even an escape would fit:
    // its one cell, as below.
    if (kFast && used + kEscapeLength + 1 <= workCapacity) {
      if (const std::uint32_t dots = static_cast<std::uint32_t>(u) - kBraillePatterns; dots < cellOfPattern_.size()) {
        work[used++] = cellOfPattern[dots];
        continue;
      }
      if (u <= code::kSpace) {
        work[used++] = static_cast<Byte>(u);
        continue;
      }
    }
    cell.Clear();
    if (u >= kBraillePatterns && u < kBraillePatterns + cellOfPattern_.size()) {
      cell.Push(cellOfPattern_[u - kBraillePatterns]);
    } else if (u <= code::kSpace) {
      cell.Push(static_cast<Byte>(u));
    } else {
      AppendEscape(cell, u);
    }
    if (used + cell.Size() + 1 > workCapacity) break;
    std::copy(cell.Data(), cell.Data() + cell.Size(), work + used);
    used += cell.Size();
  }
  work[used] = code::kEnd;
  DecodeCells<kFast>(properties, work, used, output, capacity, true);
  return consumed;
}
template std::int32_t BrailleConverter::DecodePatterns<true>(const PropertyStore&, const char16_t*, std::int32_t, Byte*,
                                                             std::int32_t, Byte*, std::int32_t) const;
template std::int32_t BrailleConverter::DecodePatterns<false>(const PropertyStore&, const char16_t*, std::int32_t,
                                                              Byte*, std::int32_t, Byte*, std::int32_t) const;

std::int32_t BrailleConverter::Encode(const PropertyStore& properties, const Byte* input, Byte* output,
                                      std::int32_t capacity, bool* whole) const {
  return EncodeCells(properties, input, output, capacity, whole);
}

std::int32_t BrailleConverter::EncodeUnicodeStepByStep(const PropertyStore& properties, const Byte* input,
                                                       char16_t* output, std::int32_t capacity, bool* whole) const {
  return EncodeCells<char16_t, false>(properties, input, output, capacity, whole);
}

std::int32_t BrailleConverter::EncodeStepByStep(const PropertyStore& properties, const Byte* input, Byte* output,
                                                std::int32_t capacity, bool* whole) const {
  return EncodeCells<Byte, false>(properties, input, output, capacity, whole);
}

template <class Unit, bool kFast>
std::int32_t BrailleConverter::EncodeCells(const PropertyStore& properties, const Byte* input, Unit* output,
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
  // nothing after the terminator is touched; a word that fits even at the
  // most cells a step can write per byte it consumes (a consonant's and a
  // vowel's cells, or a sign's after the number sign) is written at once,
  // and so is the rest of the input when it fits so with an indicator for
  // every word.
  const std::int64_t cellsPerByte = 2 * longestCells_ + 1;
  const std::int64_t inputLength = kFast ? static_cast<std::int64_t>(std::strlen(reinterpret_cast<const char*>(input))) : 0;
  for (const Byte* word = input;;) {
    const std::int64_t room = capacity - 1 - length;
    if (kFast && (cellsPerByte + 1) * (inputLength - (word - input)) + 1 <= room) {
      length += EncodeRest(word, options, state, output + length);
      output[length] = code::kEnd;
      if (whole != nullptr) *whole = true;
      break;
    }
    const Byte* end = word;
    while (*end != code::kEnd && !IsDelimiter(*end)) ++end;
    const bool more = *end != code::kEnd;
    if (more) ++end;
    if (!kFast || cellsPerByte * (end - word) + 1 > room) {
      State trial = state;
      if (EncodeWord<Unit, kFast>(word, end, options, trial, static_cast<Unit*>(nullptr), room) < 0) break;
    }
    const std::int64_t cells = EncodeWord<Unit, kFast>(word, end, options, state, output + length, room);
    if (cells < 0) {  // never, by the bound above; the output still ends whole
      output[length] = code::kEnd;
      break;
    }
    length += cells;
    output[length] = code::kEnd;
    if (!more) {
      if (whole != nullptr) *whole = true;
      break;
    }
    word = end;
  }
  return static_cast<std::int32_t>(length);
}

template <class Unit, bool kFast>
std::int64_t BrailleConverter::EncodeWord(const Byte* word, const Byte* end, const Options& options,
                                          State& state, Unit* out, std::int64_t room) const {
  state.numberSign = false;
  state.inNumber = false;
  state.hyphen = false;
  std::int64_t count = 0;
  const auto put = [&](std::span<const Byte> cells) {
    const auto n = static_cast<std::int64_t>(cells.size());
    if (count + n > room) return false;
    if (out != nullptr)
      std::transform(cells.begin(), cells.end(), out + count, [&](Byte cell) { return CellUnit(cell, out); });
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
    if (kFast) {
      if (const PackedUnit shortUnit = ShortUnit(p, options, state); shortUnit.consumed > 0) {
        Byte cells[kPackedMax];
        for (std::int32_t i = 0; i < kPackedMax; ++i) cells[i] = static_cast<Byte>(shortUnit.units >> (8 * i));
        if (!put({cells, static_cast<std::size_t>(shortUnit.count)})) return -1;
        p += shortUnit.consumed;
        continue;
      }
    }
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

  // A digit escape is the digit's step, taking all five bytes.
  if (const Byte digit = EscapedDigit(p, left)) {
    const Byte alone[] = {digit, code::kEnd};
    EncodeStep(alone, alone + 1, options, state, unit);
    return kEscapeLength;
  }

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
  const bool digitNext = IsDigit(at(1)) || EscapedDigit(p + 1, left - 1) != 0;
  state.inNumber = IsDigit(p[0]) || (state.inNumber && digitNext);
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
  // an escape of anything but a digit included, is left out.
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

// Reading ASCII Braille back. The encoder's rules are inverted one by one;
// where two texts have the same cells, the reading real Telugu text uses is
// taken:
// - "#" before a digit cell is the number sign at the start of a word or
//   after a sign, and the consonant nna after a letter (nni, nne and nna
//   before ba, ca, da, ga, ha, ja are common; numbers written straight after
//   a letter are not); inside a number, A to J are digits directly after a
//   digit, the number sign or a sign that keeps the number, and letters after
//   a letter (Telugu suffixes such as "lO" follow numbers; digits after
//   letters within one number are rare). After a digit, a consonant among B,
//   C, D, G, H, J that carries a vowel sign or anusvara is the letter.
// - "@" and a consonant is the consonant without vowel; "@*", "@#", "@&"
//   (and the Nemeth signs beginning with "@") standing alone are the signs.
// - A consonant cell that is also a sign ("6" !, "3" colon, "+" plus) is the
//   sign when no letter follows it. "." is kha after a letter (words end in
//   kha: pramukha; duhkhakaramaina has ".K", the cells of "="), and the low
//   line (or with "K" the equals sign) only where no letter is next to it.
//   Signs of two cells beginning with a consonant's cell ("0'" apostrophe,
//   "_/" solidus, "3P" percent, "02", ".K") are the signs: the syllables
//   with those cells (jha with candrabindu, lla with ai) are all but unused.
// - "8" is an opening quotation mark at the start of a word with something
//   after it, otherwise a question mark; "0" is the closing quotation mark
//   while a quotation is open and no vowel cell follows (a suffix may:
//   "%s"nu), otherwise jha. "7" is an opening parenthesis at the start of a
//   word, and elsewhere too when none is open and something follows it in
//   the word; otherwise a closing one.
// - ";" after a letter is the anusvara, even before "8" or "7"; after a
//   letter, "," and "'" are the visarga and candrabindu, also with Nemeth.
// - With the subscript or superscript indicator no number sign is written:
//   a word of digit cells is read as a number only where its cells cannot be
//   the letters the writer writes (BJAJ, 2010, cannot: the writer puts A
//   after a consonant only before a vowel); AB is read as a-ba, not 12.
// - Quotation marks come back straight (34), curly double quotes included;
//   "1" is the comma, never the avagraha; "4" the full stop, never the
//   vertical line. Zero width joiners and non-joiners, which have no cells,
//   do not come back.

Match<Byte, Byte> BrailleConverter::DigitAt(const Byte* p, const Options& options) const {
  return (options.nemeth ? nemethDigitReadings_ : digitReadings_).MatchRight(p);
}

bool BrailleConverter::LetterAt(const Byte* p) const {
  if (consonantReadings_.MatchRight(p) || vowelReadings_.MatchRight(p)) return true;
  return p[0] == kNoVowelCell && consonantReadings_.MatchRight(p + 1);
}

bool BrailleConverter::NumberWord(const Byte* p, const Options& options) const {
  const Byte comma = options.nemeth ? ',' : '1';
  bool digit = false;
  bool notLetters = false;  // the cells cannot be letters as the writer writes them
  for (const Byte* q = p; *q != code::kEnd && !IsDelimiter(*q);) {
    if (const auto d = DigitAt(q, options)) {
      digit = true;
      const bool letter = consonantReadings_.MatchRight(q) || vowelReadings_.MatchRight(q);
      // The writer puts the vowel a after a consonant only before another vowel.
      const bool strayA = consonantReadings_.MatchRight(q) && q[d.length] == 'A' &&
                          !vowelReadings_.MatchRight(q + d.length + 1);
      notLetters = notLetters || !letter || strayA;
      q += d.length;
    } else if (*q == '.' || *q == '/' || *q == '-' || *q == comma) {
      notLetters = notLetters || !LetterAt(q);
      ++q;
    } else {
      return false;
    }
  }
  return digit && notLetters;
}

template <bool kFast>
std::int32_t BrailleConverter::DecodeCells(const PropertyStore& properties, const Byte* input, std::int32_t length,
                                           Byte* output, std::int32_t capacity, bool escapesPassed) const {
  const Options options{PropertyEquals(properties, LPX_KEY_NEMETH, "TRUE"),
                        PropertyEquals(properties, LPX_KEY_SUBSCRIPT, "TRUE"),
                        PropertyEquals(properties, LPX_KEY_SUPERSCRIPT, "TRUE")};
  ReadState state;
  const auto step = [&](const Byte* p, Piece<Byte>& unit) { return DecodeStep(p, options, escapesPassed, state, unit); };
  if constexpr (!kFast) {
    return RunLoop(input, length, output, capacity, step);
  } else {
    BufferSink<Byte> sink(output, capacity);
    if (!sink.Usable()) return 0;
    // Runs of the reader's shortcuts, each while its longest output fits;
    // where one declines, DecodeStep takes the step.
    const auto shortRun = [&](const Byte* p, std::int32_t count, Byte* out, const Byte* last) {
      return ReadRun(p, count, out, last, options, state);
    };
    const auto shortStep = [&](const Byte* p, Byte* out) { return ReadRun(p, 1, out, out, options, state); };
    return RunLoopWithShortRuns(input, length, sink, kPackedMax, shortRun, shortStep, step);
  }
}
template std::int32_t BrailleConverter::DecodeCells<true>(const PropertyStore&, const Byte*, std::int32_t, Byte*,
                                                          std::int32_t, bool) const;
template std::int32_t BrailleConverter::DecodeCells<false>(const PropertyStore&, const Byte*, std::int32_t, Byte*,
                                                           std::int32_t, bool) const;

std::int32_t BrailleConverter::DecodeStep(const Byte* p, const Options& options, bool escapesPassed,
                                          ReadState& state, Piece<Byte>& unit) const {
  const Byte b = p[0];
  if (escapesPassed && b == code::kEscapeLead) {
    std::int32_t n = 0;
    while (n < kEscapeLength && p[n] != code::kEnd) unit.Push(p[n++]);
    state.previous = Read::kSign;
    return n;
  }
  if (IsDelimiter(b)) {
    unit.Push(b);
    state.previous = Read::kWordStart;
    state.indicatorRead = false;
    return 1;
  }
  // Other control bytes pass through and leave the word as it was.
  if (IsControl(b)) {
    std::int32_t n = 0;
    while (n < kControlRunMax && IsControl(p[n]) && !IsDelimiter(p[n])) unit.Push(p[n++]);
    return n;
  }

  const bool indicators = options.subscript || options.superscript;
  if (indicators && state.previous == Read::kWordStart && !state.indicatorRead &&
      b == (options.subscript ? kSubscriptCell : kSuperscriptCell)) {
    state.indicatorRead = true;
    // These words carry no number sign: a word of digit cells alone is a number.
    if (NumberWord(p + 1, options)) state.previous = Read::kNumberSign;
    return 1;
  }
  const bool afterLetter = state.previous == Read::kBareConsonant || state.previous == Read::kSyllable;
  if (b == kNumberSignCell && !indicators && !afterLetter && DigitAt(p + 1, options)) {
    state.previous = Read::kNumberSign;
    return 1;
  }

  const bool inNumber = state.previous == Read::kNumberSign || state.previous == Read::kDigit ||
                        state.previous == Read::kInNumber || state.previous == Read::kHyphen;
  if (inNumber) {
    if (const auto digit = DigitAt(p, options)) {
      const Byte* after = p + digit.length;
      const auto vowel = vowelReadings_.MatchRight(after);
      const bool letter = state.previous == Read::kDigit && consonantReadings_.MatchRight(p) &&
                          ((vowel && !DigitAt(after, options)) || after[0] == kAnusvaraCell);
      if (!letter) {
        unit.Append(digit.value);
        state.previous = Read::kDigit;
        return digit.length;
      }
    }
    if (const auto sign = numberReadings_.MatchRight(p); sign && DigitAt(p + sign.length, options)) {
      unit.Append(sign.value);
      state.previous = Read::kInNumber;
      return sign.length;
    }
  }

  if (b == kNoVowelCell) {
    if (const auto consonant = consonantReadings_.MatchRight(p + 1)) {
      const bool alone = !afterLetter && !LetterAt(p + 1 + consonant.length);
      const bool sign = alone && (signReadings_.MatchRight(p) || (options.nemeth && nemethReadings_.MatchRight(p)));
      if (!sign) {
        unit.Append(consonant.value);
        state.previous = Read::kBareConsonant;
        return 1 + consonant.length;
      }
    }
  }

  if (const auto consonant = consonantReadings_.MatchRight(p)) {
    const Byte* after = p + consonant.length;
    const auto vowel = vowelReadings_.MatchRight(after);
    if (b == kCloseQuoteCell && state.quoteOpen && !vowel) {
      unit.Push(code::kQuotationMark);
      state.quoteOpen = false;
      state.previous = Read::kSign;
      return 1;
    }
    const auto sign = signReadings_.MatchRight(p);
    const bool alone = !LetterAt(after) || (after[0] == kNumberSignCell && DigitAt(after + 1, options)) ||
                       (inNumber && DigitAt(after, options));
    const bool signHere =
        sign && (b == kLowLineCell
                     ? !afterLetter && (sign.length > consonant.length || (alone && after[0] != kAnusvaraCell))
                     : sign.length > consonant.length || alone);
    if (!signHere) {
      unit.Append(consonant.value);
      if (vowel) {
        unit.Append(vowel.value);
      } else {
        unit.Push(code::kVowelA);
      }
      state.previous = Read::kSyllable;
      return consonant.length + vowel.length;
    }
  }

  if (const auto vowel = vowelReadings_.MatchRight(p)) {
    // A vowel after a consonant without vowel is independent: the separator keeps it so.
    if (state.previous == Read::kBareConsonant) unit.Push(code::kSeparator);
    unit.Append(vowel.value);
    state.previous = Read::kSyllable;
    return vowel.length;
  }

  if (b == kAnusvaraCell && afterLetter) {
    unit.Push(code::kAnusvara);
    return 1;
  }

  Match<Byte, Byte> sign;
  if (options.nemeth && (inNumber || (!afterLetter && !LetterAt(p)))) sign = nemethReadings_.MatchRight(p);
  if (!sign) sign = signReadings_.MatchRight(p);
  if (sign && sign.length > 1) {
    // Longer signs first: "7'" is the right square bracket, not a parenthesis and a candrabindu.
  } else if (b == kOpenQuoteCell) {
    const bool opens = (state.previous == Read::kWordStart || state.previous == Read::kOpening) &&
                       !IsDelimiter(p[1]) && p[1] != code::kEnd;
    unit.Push(opens ? code::kQuotationMark : kQuestionMark);
    if (opens) state.quoteOpen = true;
    state.previous = opens ? Read::kOpening : Read::kSign;
    return 1;
  } else if (b == kParenthesisCell) {
    const bool opens = state.previous == Read::kWordStart ||
                       (state.parentheses == 0 && !IsDelimiter(p[1]) && p[1] != code::kEnd);
    state.parentheses += opens ? 1 : (state.parentheses > 0 ? -1 : 0);
    unit.Push(opens ? kLeftParenthesis : kRightParenthesis);
    state.previous = opens ? Read::kOpening : Read::kSign;
    return 1;
  }
  if (sign) {
    const Byte k = sign.value[0];
    unit.Append(sign.value);
    if (k == code::kAnusvara || k == code::kVisarga || k == code::kCandrabindu) {
      if (!afterLetter) state.previous = Read::kSign;  // signs of the syllable before
    } else if (k == code::kHyphenMinus) {
      // Two hyphens in a row end a number.
      state.previous = inNumber && state.previous != Read::kHyphen ? Read::kHyphen : Read::kSign;
    } else if (inNumber && KeepsNumberSign(k)) {
      state.previous = Read::kInNumber;
    } else {
      state.previous = Read::kSign;
    }
    return sign.length;
  }

  // No reading: the byte is kept as an escape.
  AppendEscape(unit, b);
  state.previous = Read::kSign;
  return 1;
}

}  // namespace tirmok
