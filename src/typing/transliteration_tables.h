// The Latin transliteration's tables: which Latin forms stand for which internal-code strings.
#pragma once

#include <span>

#include "core/internal_code.h"

namespace tirmok {

// One row: an internal-code string of one or two bytes and its Latin forms in
// the order they are added. The first form is the one the encoder writes,
// unless a shorter form follows it.
struct LatinRow {
  Byte code[2];           // a second byte of 0 means a one-byte code
  const char* latin[2];   // the second form may be missing (null)
};

// The four tables, each in its order of addition. Decoding tries them as
// word, vowel, consonant, and (after the "#hex;" escape) sign table.
std::span<const LatinRow> LatinWordRows();
std::span<const LatinRow> LatinVowelRows();
std::span<const LatinRow> LatinConsonantRows();
std::span<const LatinRow> LatinSignRows();

}  // namespace tirmok
