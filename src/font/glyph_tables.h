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

// Rows in their order of addition.
std::span<const Pair> VowelRows();           // independent vowels
std::span<const Pair> SignRows();            // signs, punctuation, digits, accent marks
std::span<const ConsonantRow> ConsonantRows();
std::span<const Pair> ExtraBelowRows();      // below forms added after the consonant rows
std::span<const Pair> ExtraSyllableRows();   // syllables added after the consonant rows

}  // namespace tirmok::glyphs
