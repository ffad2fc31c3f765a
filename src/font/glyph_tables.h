// The glyph tables of the legacy font encoding: which font glyph bytes draw each piece of internal code.
#pragma once

#include <cstdint>
#include <span>

#include "core/internal_code.h"

namespace tirmok::glyphs {

// A short byte string padded with zeros: an internal-code key or a glyph string.
struct Bytes {
  static constexpr int kMax = 6;
  Byte units[kMax];

  constexpr std::span<const Byte> View() const {
    std::size_t n = 0;
    while (n < kMax && units[n] != 0) ++n;
    return {units, n};
  }
};

// One table entry: internal code and the glyphs that draw it.
struct Pair {
  Bytes internal;
  Bytes glyphs;
};

// The vowels of a consonant row's syllable columns, in column order.
inline constexpr int kSyllableColumns = 14;
inline constexpr Byte kSyllableVowels[kSyllableColumns] = {100, 101, 102, 103, 104, 105, 106,
                                                           107, 112, 113, 114, 116, 117, 118};

// One consonant key: its glyphs without vowel, its below form (the glyph it
// takes as a later member of a cluster; 0 for none), and the glyphs of the
// key followed by each vowel of kSyllableVowels.
struct ConsonantRow {
  Bytes key;
  Bytes bare;
  Byte below;
  Bytes syllables[kSyllableColumns];
};

// Font bytes the composition rules write or read by name. The two spacers
// draw nothing; they separate glyph groups of one syllable so that the font
// places them apart, and the decoder skips them wherever they stand.
inline constexpr Byte kSignSpacer = 253;   // between a vowel sign and the below forms
inline constexpr Byte kBelowSpacer = 254;  // after each below form
// A ra below another below form is drawn by its own glyph, set directly after it.
inline constexpr Byte kRaAfterBelowForm = 242;
// Ta's below form under a syllable with ai: the ai sign then stands in front
// of the syllable as 204 in place of its usual leading glyph.
inline constexpr Byte kTaBelowForm = 229;
inline constexpr Byte kAiLeadBeforeTaBelow = 204;
// The signs of vocalic r and rr, which follow the below forms.
inline constexpr Byte kVocalicRSign = 197;
inline constexpr Byte kVocalicRrSign = 198;
// What the encoder writes for an escape whose character the font cannot hold.
inline constexpr Byte kQuestionMark = 63;
// The decoder reads escapes only for bytes at ASCII positions.
inline constexpr Byte kAsciiLast = 127;
// A cluster draws at most this many further consonants (counted in key bytes)
// under its first consonant.
inline constexpr std::int32_t kMaxBelowCount = 4;

constexpr bool IsSpacer(Byte b) { return b == kSignSpacer || b == kBelowSpacer; }

// Rows in their order of addition.
std::span<const Pair> VowelRows();           // independent vowels
std::span<const Pair> SignRows();            // signs, punctuation, digits, accent marks
std::span<const ConsonantRow> ConsonantRows();
std::span<const Pair> ExtraBelowRows();      // below forms added after the consonant rows
std::span<const Pair> ExtraSyllableRows();   // syllables added after the consonant rows

}  // namespace tirmok::glyphs
