// The Braille converter's shortcuts: its common steps both ways, from tables made at start-up from its cell tables and plain steps.
//
// Writing restates EncodeStep's letter rules (a consonant's cells, then its
// vowel's, the inherent vowel left out unless a vowel or joiner follows it,
// dot 4 before a consonant without vowel) and takes the signs whose step
// EncodeStep itself gives alike whatever follows; reading restates
// DecodeStep's rules for syllables, consonants without vowel, independent
// vowels, the anusvara after a letter, whitespace and signs, outside numbers
// and quotations. Everything else goes to the plain steps, and
// tests/fast_paths_test.cpp holds every shortcut to them.
#include "braille/braille_shortcuts.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "braille/braille_cells.h"
#include "braille/braille_converter.h"

namespace tirmok {

using namespace braille;

namespace {

// A vowel, or a joiner, after the inherent vowel has it written out.
constexpr bool WritesInherentVowel(Byte next) {
  return IsVowel(next) || next == code::kJoiner || next == code::kSeparator;
}

std::uint64_t Pack(std::span<const Byte> units) {
  std::uint64_t packed = 0;
  for (std::size_t i = 0; i < units.size() && i < sizeof packed; ++i) packed |= std::uint64_t{units[i]} << (8 * i);
  return packed;
}

// Writes all eight bytes of a packed unit; the caller counts only its own.
void StorePacked(Byte* at, std::uint64_t packed) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(at, &packed, sizeof packed);
  } else {
    for (std::size_t i = 0; i < sizeof packed; ++i) at[i] = static_cast<Byte>(packed >> (8 * i));
  }
}

// Stages packed units (eight bytes stored at a time) and copies out exactly
// what they count.
constexpr std::int32_t kStage = 256;

}  // namespace

void PairKeys::Build(const KeyedArray<Byte, Byte>& array) {
  std::vector<Byte> seconds;
  for (std::uint32_t b = 1; b < 256; ++b) {
    for (const auto& candidate : array.Candidates(b)) {
      if (candidate.key.size() >= 2 && secondClass_[candidate.key[1]] == 0) {
        seconds.push_back(candidate.key[1]);
        secondClass_[candidate.key[1]] = static_cast<std::uint8_t>(seconds.size());
      }
    }
  }
  classes_ = seconds.size() + 1;
  entries_.assign(256 * classes_, Entry{});
  for (std::uint32_t b = 0; b < 256; ++b) {
    for (std::size_t c = 0; c < classes_; ++c) {
      const Byte second = c == 0 ? code::kEnd : seconds[c - 1];
      const auto candidates = array.Candidates(b);
      const bool longer = std::any_of(candidates.begin(), candidates.end(),
                                      [&](const auto& e) { return e.key.size() > 2 && e.key[1] == second; });
      const Byte key[] = {static_cast<Byte>(b), second, code::kEnd};
      const auto match = array.Find(key);
      Entry& entry = entries_[b * classes_ + c];
      entry.usable = !longer && match.value.size() <= kValueMax;
      if (!entry.usable) continue;
      entry.units = static_cast<std::uint32_t>(Pack(match.value));
      entry.size = static_cast<std::uint8_t>(match.value.size());
      entry.length = static_cast<std::uint8_t>(match.length);
    }
  }
}

void BrailleConverter::BuildShortcuts() {
  // --- Writing ---
  consonantKeys_.Build(consonants_.LeftKeyed());
  vowelKeys_.Build(vowels_.LeftKeyed());
  for (std::uint32_t b = 0; b < 256; ++b) {
    AfterConsonant& after = afterConsonant_[b];
    if (!IsVowel(static_cast<Byte>(b))) {  // no vowel: the no-vowel cell in front
      after = {0, kNoVowelCell, 1, 0, 0, true};
      continue;
    }
    // A vowel of one byte: its cells behind (none, consuming nothing, for a vowel without cells).
    const auto candidates = vowels_.LeftKeyed().Candidates(b);
    const Byte key[] = {static_cast<Byte>(b), code::kEnd};
    const auto vowel = vowels_.MatchLeft(key);
    after.usable = vowel.value.size() <= PairKeys::kValueMax &&
                   std::all_of(candidates.begin(), candidates.end(), [](const auto& c) { return c.key.size() == 1; });
    if (!after.usable) continue;
    after.post = static_cast<std::uint32_t>(Pack(vowel.value));
    after.postCount = static_cast<std::uint8_t>(vowel.value.size());
    after.consumed = static_cast<std::uint8_t>(vowel.length);
  }
  afterConsonant_[kInherentVowel] = {0, 0, 0, 0, 1, true};

  // The syllables of one lookup, each as ShortSyllable gives it for a text
  // of its class: the letter, then the vowel (after the inherent vowel, a
  // vowel that has it written out), or the terminator for no vowel.
  letterIndex_.fill(kLetterIndexes - 1);
  followerIndex_.fill(kNoVowelFollows);
  for (std::uint32_t b = code::kVowelA; b < code::kVowelA + kNoVowelFollows; ++b) {
    if (IsVowel(static_cast<Byte>(b))) followerIndex_[b] = static_cast<std::uint8_t>(b - code::kVowelA);
  }
  for (std::uint32_t b = 1; b < 256; ++b) {
    for (const auto& candidate : consonants_.LeftKeyed().Candidates(b)) {
      if (candidate.key.size() > 1) followerIndex_[candidate.key[1]] = kKeyMayGoOn;
    }
  }
  syllableCells_.assign(kLetterIndexes * kFollowers, PackedUnit{});
  std::size_t letters = 0;
  for (std::uint32_t b = 1; b < 256 && letters + 1 < kLetterIndexes; ++b) {
    const auto letter = static_cast<Byte>(b);
    const Byte alone[] = {letter, code::kEnd};
    if (!IsLetter(letter) || consonantKeys_.At(alone).length != 1) continue;
    letterIndex_[b] = static_cast<std::uint8_t>(letters);
    for (std::size_t follower = 0; follower < kFollowers; ++follower) {
      Byte text[] = {letter, code::kEnd, code::kEnd, code::kEnd};
      if (follower < kNoVowelFollows) {
        text[1] = static_cast<Byte>(code::kVowelA + follower);
        text[2] = code::kVowelA;
      } else if (follower == kInherentVowelLeftOut) {
        text[1] = code::kVowelA;
      } else if (follower == kKeyMayGoOn) {
        continue;
      }
      // Kept where the bytes it consumes are SyllableLength's, which the
      // writing loop advances by without waiting for the entry.
      const PackedUnit syllable = ShortSyllable(text);
      if (syllable.consumed == SyllableLength(letter, text[1])) syllableCells_[letters * kFollowers + follower] = syllable;
    }
    ++letters;
  }

  // A sign is taken from EncodeStep itself where its step is the same after
  // any byte, with either indicator option, and leaves the word's flags
  // clear: no key of more than one byte begins with it, and it is no letter,
  // digit, control character or escape, whose steps look further.
  for (const bool nemeth : {false, true}) {
    for (std::uint32_t b = 1; b < 256; ++b) {
      const auto byte = static_cast<Byte>(b);
      if (IsLetter(byte) || IsDigit(byte) || IsControl(byte) || byte == code::kEscapeLead) continue;
      bool singleKeys = true;
      for (const MappingTable* table : {&signs_, &numbers_, &nemeth_}) {
        for (const auto& candidate : table->LeftKeyed().Candidates(b)) singleKeys = singleKeys && candidate.key.size() == 1;
      }
      if (!singleKeys) continue;
      const Byte texts[][7] = {{byte, code::kEnd},
                               {byte, static_cast<Byte>(code::kDigitZero + 1), code::kEnd},
                               {byte, code::kEscapeLead, '0', '0', '3', '1', code::kEnd}};
      PackedUnit sign;
      bool alike = true;
      bool first = true;
      for (const auto& text : texts) {
        for (const Options options :
             {Options{nemeth, false, false}, Options{nemeth, true, false}, Options{nemeth, false, true}}) {
          State state;
          Piece<Byte> unit;
          const Byte* end = text;
          while (*end != code::kEnd) ++end;
          const std::int32_t used = EncodeStep(text, end, options, state, unit);
          const bool clear = !state.quoteOpen && !state.numberSign && !state.inNumber && !state.hyphen;
          const std::uint64_t cells = Pack(unit.View());
          if (first) {
            sign = {cells, unit.Size(), 1};
            first = false;
          }
          alike = alike && used == 1 && clear && unit.Size() <= kPackedMax && cells == sign.units &&
                  unit.Size() == sign.count;
        }
      }
      if (alike) plainSigns_[nemeth][b] = sign;
    }
  }

  // A digit's cells, where EncodeStep writes them after the number sign
  // (when one is due) for the digit and for its escape alike, looking no
  // further, and leaves the word in a number with the number sign written.
  for (const bool nemeth : {false, true}) {
    for (std::uint32_t d = 0; d < digitCells_[nemeth].size(); ++d) {
      const auto digit = static_cast<Byte>(code::kDigitZero + d);
      bool singleKeys = true;
      for (const MappingTable* table : {&signs_, &numbers_, &nemeth_}) {
        for (const auto& candidate : table->LeftKeyed().Candidates(digit)) singleKeys = singleKeys && candidate.key.size() == 1;
      }
      const Byte raw[] = {digit, code::kEnd};
      const Byte escaped[] = {code::kEscapeLead, '0', '0', '3', static_cast<Byte>('0' + d), code::kEnd};
      const Options options{nemeth, false, false};
      PackedUnit cells;
      bool alike = singleKeys;
      for (const bool signWritten : {true, false}) {
        for (const auto* text : {raw, escaped}) {
          State state;
          state.numberSign = signWritten;
          Piece<Byte> unit;
          const std::int32_t used = EncodeStep(text, text + (text == raw ? 1 : kEscapeLength), options, state, unit);
          const bool inNumber = state.numberSign && state.inNumber && !state.hyphen && !state.quoteOpen;
          if (signWritten && text == raw) cells = {Pack(unit.View()), unit.Size(), 1};
          const Byte sign[] = {kNumberSignCell};
          const std::uint64_t expected = signWritten ? cells.units : Pack(sign) | cells.units << 8;
          alike = alike && inNumber && used == (text == raw ? 1 : kEscapeLength) && unit.Size() < kPackedMax &&
                  Pack(unit.View()) == expected && unit.Size() == cells.count + (signWritten ? 0 : 1);
        }
      }
      if (alike) digitCells_[nemeth][d] = cells;
    }
  }

  // --- Reading ---
  consonantReadingKeys_.Build(consonantReadings_.RightKeyed());
  vowelReadingKeys_.Build(vowelReadings_.RightKeyed());
  signReadingKeys_.Build(signReadings_.RightKeyed());
  for (std::uint32_t b = 1; b < 256; ++b) beginsNoSign_[b] = signReadings_.RightKeyed().Candidates(b).empty();
  for (const bool nemeth : {false, true}) {
    // The cells after the no-vowel cell with which a sign may begin.
    auto& signs = noVowelSign_[nemeth];
    for (const MappingTable* table : {&signReadings_, &nemethReadings_}) {
      if (table == &nemethReadings_ && !nemeth) continue;
      for (const auto& candidate : table->RightKeyed().Candidates(kNoVowelCell)) {
        if (candidate.key.size() == 1) {
          signs.fill(true);
        } else {
          signs[candidate.key[1]] = true;
        }
      }
    }
    for (std::uint32_t b = 1; b < 256; ++b) {
      const auto cell = static_cast<Byte>(b);
      const auto has = [b](const MappingTable& table) { return !table.RightKeyed().Candidates(b).empty(); };
      ReadKind kind = ReadKind::kPlain;
      if (IsDelimiter(cell)) {
        kind = ReadKind::kDelimiter;
      } else if (IsControl(cell) || cell == code::kEscapeLead) {
        kind = ReadKind::kPlain;
      } else if (cell == kNoVowelCell) {
        kind = ReadKind::kBareConsonant;
      } else if (cell == kNumberSignCell || cell == kCloseQuoteCell || cell == kOpenQuoteCell ||
                 cell == kParenthesisCell) {
        kind = ReadKind::kPlain;  // cells whose reading depends on what is around them
      } else if (has(consonantReadings_) || has(vowelReadings_)) {
        kind = ReadKind::kLetter;
      } else if (cell == kAnusvaraCell) {
        kind = ReadKind::kAnusvara;
      } else if (has(signReadings_) && !(nemeth && has(nemethReadings_))) {
        kind = ReadKind::kSign;
      }
      readKinds_[nemeth][b] = kind;
    }
  }
  // Syllables and consonants without vowel decided by two cells: a
  // consonant of one cell, and after it a vowel of one cell or none.
  const auto oneCellKeys = [](const MappingTable& table, Byte first) {
    const auto candidates = table.RightKeyed().Candidates(first);
    return std::all_of(candidates.begin(), candidates.end(), [](const auto& c) { return c.key.size() == 1; });
  };
  cellIndex_.fill(kCellIndexes - 1);
  for (std::size_t i = 0; i + 1 < kCellIndexes; ++i) cellIndex_[' ' + i] = static_cast<std::uint8_t>(i);
  syllableReadings_.assign(kCellIndexes * kCellIndexes, PairKeys::Entry{});
  // The vowel after a syllable's consonant is one cell or none, by the cell
  // alone (its keys are of one cell): the syllable takes one cell more for it.
  syllableReadingLength_.fill(0);
  for (std::uint32_t b = 0; b < 256; ++b) {
    const Byte cells[] = {static_cast<Byte>(b), code::kEnd};
    const PairKeys::Entry& vowel = vowelReadingKeys_.At(cells);
    if (b == code::kEnd || (vowel.usable && oneCellKeys(vowelReadings_, static_cast<Byte>(b)))) {
      syllableReadingLength_[b] = static_cast<std::uint8_t>(1 + (b == code::kEnd ? 0 : vowel.length));
    }
  }
  for (std::size_t first = 0; first + 1 < kCellIndexes; ++first) {
    const auto cell = static_cast<Byte>(' ' + first);
    if (readKinds_[0][cell] != ReadKind::kLetter || readKinds_[1][cell] != ReadKind::kLetter || !beginsNoSign_[cell])
      continue;
    for (std::size_t second = 0; second < kCellIndexes; ++second) {
      const Byte next = second + 1 < kCellIndexes ? static_cast<Byte>(' ' + second) : code::kEnd;
      const Byte cells[] = {cell, next, code::kEnd};
      const PairKeys::Entry& consonant = consonantReadingKeys_.At(cells);
      const PairKeys::Entry& vowel = vowelReadingKeys_.At(cells + 1);
      const std::uint8_t vowelSize = vowel.length > 0 ? vowel.size : 1;
      if (!consonant.usable || consonant.length != 1 || !vowel.usable || !oneCellKeys(vowelReadings_, next) ||
          consonant.size + vowelSize > PairKeys::kValueMax)
        continue;
      // Every byte of the class reads the same; kept only where the loop's own length agrees.
      bool sameLength = true;
      for (std::uint32_t b = 0; b < 256; ++b) {
        if (cellIndex_[b] == second && syllableReadingLength_[b] != 1 + vowel.length) sameLength = false;
      }
      if (!sameLength) continue;
      syllableReadings_[first * kCellIndexes + second] = {
          consonant.units | (vowel.length > 0 ? vowel.units : code::kVowelA) << (8 * consonant.size),
          static_cast<std::uint8_t>(consonant.size + vowelSize), static_cast<std::uint8_t>(1 + vowel.length), true};
    }
  }
  for (const bool nemeth : {false, true}) {
    for (std::uint32_t b = 1; b < 256; ++b) {
      const Byte cells[] = {static_cast<Byte>(b), code::kEnd};
      const PairKeys::Entry& consonant = consonantReadingKeys_.At(cells);
      if (noVowelSign_[nemeth][b] || !consonant.usable || consonant.length == 0 ||
          !oneCellKeys(consonantReadings_, static_cast<Byte>(b)))
        continue;
      bareReadings_[nemeth][b] = {consonant.units, consonant.size, 2, true};
    }
  }
}

BrailleConverter::PackedUnit BrailleConverter::ShortSyllable(const Byte* p) const {
  const PairKeys::Entry& consonant = consonantKeys_.At(p);
  if (!consonant.usable) return {};
  if (consonant.length == 0) {  // an independent vowel, if it has cells
    const PairKeys::Entry& vowel = vowelKeys_.At(p);
    if (!vowel.usable || vowel.length == 0) return {};
    return {vowel.units, vowel.size, vowel.length};
  }
  // The key holds no whitespace or terminator, so p[n] is still in the
  // word; the byte after it is read only after a vowel, which is no
  // whitespace or terminator either.
  const std::int32_t n = consonant.length;
  const Byte next = p[n];
  const Byte afterNext = p[n + (IsVowel(next) ? 1 : 0)];
  const AfterConsonant& after =
      afterConsonant_[next == code::kVowelA && !WritesInherentVowel(afterNext) ? kInherentVowel : next];
  if (!after.usable) return {};
  const std::uint64_t cells = after.pre | std::uint64_t{consonant.units} << (8 * after.preCount) |
                              std::uint64_t{after.post} << (8 * (after.preCount + consonant.size));
  return {cells, after.preCount + consonant.size + after.postCount, n + after.consumed};
}

const BrailleConverter::PackedUnit& BrailleConverter::SyllableEntry(const Byte* p) const {
  // The byte after a vowel is read only when there is one (p[1] is then no terminator).
  const Byte next = p[1];
  const Byte afterNext = p[1 + (next != code::kEnd)];
  const std::size_t follower = next == code::kVowelA && !WritesInherentVowel(afterNext) ? kInherentVowelLeftOut
                                                                                         : followerIndex_[next];
  return syllableCells_[letterIndex_[p[0]] * kFollowers + follower];
}

BrailleConverter::PackedUnit BrailleConverter::QuickSyllable(const Byte* p) const {
  const PackedUnit& syllable = SyllableEntry(p);
  return syllable.consumed > 0 ? syllable : ShortSyllable(p);
}

BrailleConverter::PackedUnit BrailleConverter::ShortUnit(const Byte* p, const Options& options, State& state) const {
  if (IsLetter(p[0])) return QuickSyllable(p);
  // A digit escape's bytes are no whitespace or terminator: where they are
  // all there, the word holds them all.
  const bool raw = IsDigit(p[0]);
  if (const Byte digit = raw ? p[0] : EscapedDigit(p, kEscapeLength)) {
    const PackedUnit& cells = digitCells_[options.nemeth][digit - code::kDigitZero];
    if (cells.consumed == 0) return {};
    // One number sign per number, and none with an indicator.
    const bool sign = !state.numberSign && !options.subscript && !options.superscript;
    state.numberSign = state.numberSign || sign;
    state.inNumber = true;
    state.hyphen = false;
    return {sign ? kNumberSignCell | cells.units << 8 : cells.units, cells.count + sign, raw ? 1 : kEscapeLength};
  }
  if (state.numberSign || state.inNumber || state.hyphen) return {};
  return plainSigns_[options.nemeth][p[0]];
}

template <class Unit>
std::int64_t BrailleConverter::EncodeRest(const Byte* p, const Options& options, State& state, Unit* out) const {
  Byte stage[kStage + 1 + Piece<Byte>::kCapacity + kPackedMax];
  std::int32_t staged = 0;
  std::int64_t written = 0;
  const auto flush = [&] {
    if constexpr (sizeof(Unit) == 1) {
      std::memcpy(out + written, stage, static_cast<std::size_t>(staged));
    } else {
      for (std::int32_t i = 0; i < staged; ++i) out[written + i] = CellUnit(stage[i], out);
    }
    written += staged;
    staged = 0;
  };
  const Byte* wordEnd = nullptr;  // where the word ends, once a plain step needs it
  Piece<Byte> unit;
  for (bool wordStart = true;;) {
    if (wordStart) {
      state.numberSign = false;
      state.inNumber = false;
      state.hyphen = false;
      if (options.subscript || options.superscript) stage[staged++] = options.subscript ? kSubscriptCell : kSuperscriptCell;
      wordStart = false;
      wordEnd = nullptr;
    }
    const Byte b = *p;
    if (b == code::kEnd) break;
    // A syllable of one lookup, most of the text: the next unit's place is
    // known from the two bytes, before the entry is read.
    if (const PackedUnit& syllable = SyllableEntry(p); IsLetter(b) && syllable.consumed > 0) {
      StorePacked(stage + staged, syllable.units);
      staged += syllable.count;
      p += SyllableLength(b, p[1]);
      if (staged >= kStage) flush();
      continue;
    }
    if (const PackedUnit cells = ShortUnit(p, options, state); cells.consumed > 0) {
      StorePacked(stage + staged, cells.units);
      staged += cells.count;
      p += cells.consumed;
      wordStart = IsDelimiter(b);  // a whitespace byte is a unit by itself
    } else {
      if (wordEnd == nullptr) {
        wordEnd = p;
        while (*wordEnd != code::kEnd && !IsDelimiter(*wordEnd)) ++wordEnd;
        if (*wordEnd != code::kEnd) ++wordEnd;
      }
      unit.Clear();
      p += EncodeStep(p, wordEnd, options, state, unit);
      std::memcpy(stage + staged, unit.Data(), static_cast<std::size_t>(unit.Size()));
      staged += unit.Size();
      wordStart = p == wordEnd && IsDelimiter(p[-1]);
    }
    if (staged >= kStage) flush();
  }
  flush();
  return written;
}

template std::int64_t BrailleConverter::EncodeRest(const Byte*, const Options&, State&, Byte*) const;
template std::int64_t BrailleConverter::EncodeRest(const Byte*, const Options&, State&, char16_t*) const;

// Inline: only ReadRun calls it.
inline BrailleConverter::PackedUnit BrailleConverter::ReadShort(const Byte* p, const Options& options,
                                                                ReadState& state) const {
  const Byte b = p[0];
  const ReadKind kind = readKinds_[options.nemeth][b];
  if (kind == ReadKind::kDelimiter) {
    state.previous = Read::kWordStart;
    state.indicatorRead = false;
    return {b, 1, 1};
  }
  // Within a number, and on a word's indicator, the plain rules read.
  const Read previous = state.previous;
  if (previous == Read::kNumberSign || previous == Read::kDigit || previous == Read::kInNumber ||
      previous == Read::kHyphen)
    return {};
  if ((options.subscript && b == kSubscriptCell) || (options.superscript && b == kSuperscriptCell)) return {};
  const bool afterLetter = previous == Read::kBareConsonant || previous == Read::kSyllable;
  switch (kind) {
    case ReadKind::kLetter: {
      if (const PairKeys::Entry& syllable = syllableReadings_[cellIndex_[b] * kCellIndexes + cellIndex_[p[1]]];
          syllable.usable) {
        state.previous = Read::kSyllable;
        // The same as the entry's length (kept only so), known before the entry is read.
        return {syllable.units, syllable.size, syllableReadingLength_[p[1]]};
      }
      const PairKeys::Entry& consonant = consonantReadingKeys_.At(p);
      if (!consonant.usable) return {};
      if (consonant.length > 0) {
        // A consonant whose first cell begins no sign: with its vowel, or the inherent one.
        if (!beginsNoSign_[b]) return {};
        const PairKeys::Entry& vowel = vowelReadingKeys_.At(p + consonant.length);
        if (!vowel.usable) return {};
        const bool ownVowel = vowel.length > 0;
        state.previous = Read::kSyllable;
        return {consonant.units | std::uint64_t{ownVowel ? vowel.units : code::kVowelA} << (8 * consonant.size),
                consonant.size + (ownVowel ? vowel.size : 1), consonant.length + vowel.length};
      }
      const PairKeys::Entry& vowel = vowelReadingKeys_.At(p);
      if (!vowel.usable || vowel.length == 0) return {};
      // After a consonant without vowel the separator keeps the vowel independent.
      const bool separate = previous == Read::kBareConsonant;
      state.previous = Read::kSyllable;
      return {separate ? code::kSeparator | std::uint64_t{vowel.units} << 8 : vowel.units, vowel.size + separate,
              vowel.length};
    }
    case ReadKind::kBareConsonant: {
      // Where no sign begins with these cells, the consonant without vowel.
      if (const PairKeys::Entry& bare = bareReadings_[options.nemeth][p[1]]; bare.usable) {
        state.previous = Read::kBareConsonant;
        return {bare.units, bare.size, bare.length};
      }
      if (noVowelSign_[options.nemeth][p[1]]) return {};
      const PairKeys::Entry& consonant = consonantReadingKeys_.At(p + 1);
      if (!consonant.usable || consonant.length == 0) return {};
      state.previous = Read::kBareConsonant;
      return {consonant.units, consonant.size, 1 + consonant.length};
    }
    case ReadKind::kAnusvara:
      if (!afterLetter) return {};
      return {code::kAnusvara, 1, 1};
    case ReadKind::kSign: {
      const PairKeys::Entry& sign = signReadingKeys_.At(p);
      if (!sign.usable || sign.length == 0) return {};
      // The anusvara, visarga and candrabindu after a letter belong to its syllable.
      const auto k = static_cast<Byte>(sign.units);
      const bool ofSyllable = k == code::kAnusvara || k == code::kVisarga || k == code::kCandrabindu;
      if (!(ofSyllable && afterLetter)) state.previous = Read::kSign;
      return {sign.units, sign.size, sign.length};
    }
    case ReadKind::kPlain:
    case ReadKind::kDelimiter:
      break;
  }
  return {};
}

ShortStepResult BrailleConverter::ReadRun(const Byte* p, std::int32_t count, Byte* out, const Byte* last,
                                          const Options& options, ReadState& state) const {
  Byte stage[kStage + kPackedMax];
  std::int32_t staged = 0;
  std::int32_t i = 0;
  // Each unit fits while `out` with what is staged has not passed `last`.
  const std::ptrdiff_t room = last - out;
  while (i < count && staged <= room && staged < kStage) {
    const PackedUnit unit = ReadShort(p + i, options, state);
    if (unit.consumed == 0) break;
    StorePacked(stage + staged, unit.units);
    staged += unit.count;
    i += unit.consumed;
  }
  std::memcpy(out, stage, static_cast<std::size_t>(staged));
  return {i, staged};
}

}  // namespace tirmok
