// FontEncodingConverter: internal code <-> legacy font glyph bytes ("ANSI").
#include "font/font_encoding_converter.h"

#include <algorithm>

#include "core/escape.h"
#include "core/run_loop.h"
#include "font/glyph_tables.h"

namespace tirmok {
namespace {

using glyphs::IsSpacer;
using glyphs::kAiLeadBeforeTaBelow;
using glyphs::kAsciiLast;
using glyphs::kBelowSpacer;
using glyphs::kMaxBelowCount;
using glyphs::kQuestionMark;
using glyphs::kRaAfterBelowForm;
using glyphs::kSignSpacer;
using glyphs::kTaBelowForm;
using glyphs::kVocalicRrSign;
using glyphs::kVocalicRSign;

Units<Byte> ToUnits(const glyphs::Bytes& bytes) { return Units<Byte>(bytes.View()); }

}  // namespace

FontEncodingConverter::FontEncodingConverter() {
  for (const glyphs::Pair& row : glyphs::VowelRows()) {
    vowels_.AddEntry(ToUnits(row.internal), ToUnits(row.glyphs));
  }
  for (const glyphs::Pair& row : glyphs::SignRows()) {
    signs_.AddEntry(ToUnits(row.internal), ToUnits(row.glyphs));
  }
  for (const glyphs::ConsonantRow& row : glyphs::ConsonantRows()) {
    const auto key = row.key.View();
    bareConsonants_.AddEntry(ToUnits(row.key), ToUnits(row.bare));
    if (row.below != 0) belowForms_.AddEntry(ToUnits(row.key), {row.below});

    // A consonant with nukta shares its consonant's syllable table; every
    // other key (one consonant, or the cluster k+ss) has a table of its own.
    std::size_t index = kSyllableTables;
    if (key.size() > 1 && key[1] == code::kNukta) {
      index = SyllableTableIndex(key.first(1));
    } else if (syllableTableCount_ < kSyllableTables) {
      index = syllableTableCount_++;
      syllableTableKeys_[index] = ToUnits(row.key);
      syllableTablesByKey_[key[0]].push_back(static_cast<std::uint8_t>(index));
    }
    if (index >= kSyllableTables) continue;
    MappingTable& table = syllableTables_[index];
    for (int column = 0; column < glyphs::kSyllableColumns; ++column) {
      Byte syllable[glyphs::Bytes::kMax + 2] = {};  // key, vowel, terminator
      std::size_t n = 0;
      for (Byte b : key) syllable[n++] = b;
      syllable[n++] = glyphs::kSyllableVowels[column];
      table.AddEntry(Units<Byte>(std::span<const Byte>(syllable, n)), ToUnits(row.syllables[column]));
    }
  }
  for (const glyphs::Pair& row : glyphs::ExtraBelowRows()) {
    belowForms_.AddEntry(ToUnits(row.internal), ToUnits(row.glyphs));
  }
  for (const glyphs::Pair& row : glyphs::ExtraSyllableRows()) {
    const std::size_t index = SyllableTableIndex(row.internal.View());
    if (index < kSyllableTables) syllableTables_[index].AddEntry(ToUnits(row.internal), ToUnits(row.glyphs));
  }
  for (std::uint32_t glyph = 1; glyph < 256; ++glyph) {
    for (std::size_t i = 0; i < syllableTableCount_; ++i) {
      if (!syllableTables_[i].RightKeyed().Candidates(glyph).empty()) {
        syllableTablesByGlyph_[glyph].push_back(static_cast<std::uint8_t>(i));
      }
    }
  }
  MakeShortcuts();
}

std::size_t FontEncodingConverter::SyllableTableIndex(std::span<const Byte> syllable) const {
  // The table whose key is the longest prefix: the cluster k+ss before k.
  std::size_t best = kSyllableTables;
  std::size_t bestLength = 0;
  if (syllable.empty()) return best;
  for (const std::size_t i : syllableTablesByKey_[syllable[0]]) {
    const auto key = syllableTableKeys_[i].View();
    if (key.size() > bestLength && key.size() <= syllable.size() &&
        std::equal(key.begin(), key.end(), syllable.begin())) {
      best = i;
      bestLength = key.size();
    }
  }
  return best;
}

std::int32_t FontEncodingConverter::EncodeStep(const Byte* p, std::int32_t available,
                                               Piece<Byte>& piece) const {
  // A vowel at the start of a unit follows no consonant: an independent vowel.
  if (const auto vowel = vowels_.MatchLeft(p)) {
    piece.Append(vowel.value);
    return vowel.length;
  }
  if (const std::int32_t used = ComposeSyllable(p, available, piece)) return used;
  if (const auto sign = signs_.MatchLeft(p)) {
    piece.Append(sign.value);
    return sign.length;
  }
  if (p[0] == code::kEscapeLead) {
    // Only a character at a single-byte position has a place in the font.
    const EscapeRead escape = ReadEscape(p);
    const bool fits = escape.value >= 1 && escape.value <= 255;
    piece.Push(fits ? static_cast<Byte>(escape.value) : kQuestionMark);
    return escape.consumed;
  }
  if (p[0] >= code::kSpace) return 1;  // no glyph for this byte: dropped
  if (IsControl(p[0])) return CopyControlRun(p, piece);
  return 0;
}

std::int32_t FontEncodingConverter::ComposeSyllable(const Byte* p, std::int32_t available,
                                                    Piece<Byte>& piece) const {
  const auto bare = bareConsonants_.MatchLeft(p);
  if (!bare) return 0;
  // The syllable key: the first consonant (or cluster) and, once found, its vowel.
  Byte syllable[glyphs::Bytes::kMax + 2] = {};  // key, vowel, terminator
  std::size_t syllableLength = 0;
  for (Byte b : bare.key) syllable[syllableLength++] = b;

  Piece<Byte> below;
  std::int32_t belowCount = 0;
  Byte vowel = 0;  // 0: the syllable has no vowel
  std::span<const Byte> drawn = bare.value;  // the glyphs of the first consonant and vowel
  std::int32_t position = bare.length;
  while (position < available) {
    if (vowels_.MatchLeft(p + position)) {
      vowel = p[position];
      syllable[syllableLength++] = vowel;
      ++position;
      const std::size_t table = SyllableTableIndex({syllable, syllableLength});
      drawn = table < kSyllableTables ? syllableTables_[table].MatchLeft(syllable).value
                                      : std::span<const Byte>();
      break;
    }
    const auto form = belowCount < kMaxBelowCount ? belowForms_.MatchLeft(p + position)
                                                  : Match<Byte, Byte>();
    if (!form) break;
    Byte glyph = form.value.empty() ? 0 : form.value[0];
    if (form.key.size() == 1 && form.key[0] == code::kRa && !below.Empty()) {
      below.PopBack();
      glyph = kRaAfterBelowForm;
    }
    below.Push(glyph);
    below.Push(kBelowSpacer);
    position += form.length;
    belowCount += form.length;
  }

  if (below.Empty()) {
    piece.Append(drawn);
    return position;
  }
  below.PopBack();
  const Byte first = syllable[0];
  if (vowel == code::kVowelU && (first == code::kPa || first == code::kPha || first == code::kVa)) {
    // The u sign of these letters hangs below them, so the below forms move aside.
    piece.Append(drawn);
    piece.Push(kSignSpacer);
    piece.Append(below);
  } else if ((vowel == code::kVocalicR || vowel == code::kVocalicRr) && drawn.size() >= 2) {
    // The sign of vocalic r or rr goes after the below forms.
    piece.Append(drawn.first(drawn.size() - 1));
    piece.Append(below);
    piece.Push(kSignSpacer);
    piece.Push(drawn.back());
  } else if (vowel == code::kVowelAi) {
    if (below[0] == kTaBelowForm && !drawn.empty()) {
      piece.Push(kAiLeadBeforeTaBelow);
      piece.Append(drawn.subspan(1));
      piece.Push(kSignSpacer);
    } else {
      piece.Append(drawn);
      piece.Push(kBelowSpacer);
    }
    piece.Append(below);
  } else {
    piece.Append(drawn);
    piece.Append(below);
  }
  return position;
}

std::int32_t FontEncodingConverter::DecodeStep(const Byte* p, std::int32_t available, DecodeState& state,
                                               Piece<Byte>& piece) const {
  state.currentBare = false;
  std::int32_t used = 0;
  Piece<Byte> letters;
  if (const auto vowel = vowels_.MatchRight(p)) {
    letters.Append(vowel.value);
    used = vowel.length;
  } else {
    used = DecomposeSyllable(p, available, state, letters);
  }
  if (used > 0) {
    // A consonant without vowel followed by another written unit: the
    // separator keeps the next unit from becoming that consonant's vowel or
    // joining its cluster.
    if (state.previousBare) piece.Push(code::kSeparator);
    piece.Append(letters);
  } else if (const auto sign = signs_.MatchRight(p)) {
    piece.Append(sign.value);
    used = sign.length;
  } else if (p[0] >= code::kSpace) {
    if (p[0] <= kAsciiLast) AppendEscape(piece, p[0]);
    used = 1;  // an unreadable glyph above the ASCII range is dropped
  } else if (IsControl(p[0])) {
    used = CopyControlRun(p, piece);
  }
  state.previousBare = state.currentBare;
  return used;
}

std::int32_t FontEncodingConverter::DecomposeSyllable(const Byte* p, std::int32_t available,
                                                      DecodeState& state, Piece<Byte>& piece) const {
  std::int32_t position = 0;
  Byte vowel = 0;  // 0: no vowel yet
  // The ai sign drawn in front of a syllable with ta's below form.
  if (p[0] == kAiLeadBeforeTaBelow) {
    vowel = code::kVowelAi;
    position = 1;
  }
  std::span<const Byte> key;
  if (const auto bare = bareConsonants_.MatchRight(p + position)) {
    key = bare.value;
    position += bare.length;
  } else if (const auto syllable = MatchSyllableGlyphs(p + position); !syllable.value.empty()) {
    key = syllable.value.first(syllable.value.size() - 1);
    if (vowel == 0) vowel = syllable.value.back();
    position += syllable.length;
  } else {
    return 0;
  }

  // The below forms of the cluster, with the signs of vocalic r and rr that
  // follow them.
  Piece<Byte> below;
  std::int32_t belowCount = 0;
  while (position < available && belowCount < kMaxBelowCount) {
    const Byte b = p[position];
    if (IsSpacer(b)) {
      ++position;
    } else if (const auto form = belowForms_.MatchRight(p + position); form && !form.value.empty()) {
      below.Push(form.value[0]);
      belowCount += static_cast<std::int32_t>(form.value.size());
      position += form.length;
    } else if (b == kVocalicRSign && vowel == code::kVowelA) {
      vowel = code::kVocalicR;
      ++position;
    } else if (b == kVocalicRrSign && vowel == code::kVowelA) {
      vowel = code::kVocalicRr;
      ++position;
    } else {
      break;
    }
  }

  piece.Append(key);
  piece.Append(below);
  if (vowel != 0) {
    piece.Push(vowel);
  } else {
    state.currentBare = true;
  }
  return position;
}

Match<Byte, Byte> FontEncodingConverter::MatchSyllableGlyphs(const Byte* p) const {
  // Tables in list order; a later table wins only with a strictly longer match.
  // Tables without a glyph string beginning with p[0] match nothing there.
  Match<Byte, Byte> best;
  for (const std::uint8_t i : syllableTablesByGlyph_[p[0]]) {
    const auto match = syllableTables_[i].MatchRight(p);
    if (match.length > best.length) best = match;
  }
  return best;
}

}  // namespace tirmok
