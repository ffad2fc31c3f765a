// Tables of the Unicode converter, as rows in their order of addition.
#pragma once

#include <span>

#include "core/internal_code.h"

namespace tirmok {

// The Unicode converter keeps one table per class of character; a row names
// its table by this code.
enum class UnicodeTable : int {
  kIndependentVowels = 0,
  kVowelSigns = 1,  // looked up only directly after a consonant
  kConsonants = 2,
  kOtherSigns = 5,  // signs, punctuation, digits, joiners
};

// One pair of the Unicode converter: internal code and its UTF-16 text (null:
// no text). Both sides are zero-terminated; the longest has three units.
struct UnicodeRow {
  UnicodeTable table;
  Byte code[3];
  const char16_t* text;
};

std::span<const UnicodeRow> UnicodeRows();

}  // namespace tirmok
