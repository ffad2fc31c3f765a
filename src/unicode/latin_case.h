// Lower-casing of Latin letters for reading the romanisation, independent of the process locale.
#pragma once

#include <string>

namespace tirmok {

// The simple (one unit to one unit) lower-case mapping of Unicode for the
// letters of the Latin blocks: Basic Latin, Latin-1 Supplement, Latin
// Extended-A, Latin Extended-B and Latin Extended Additional. Every other
// unit, including lone surrogates, is returned unchanged.
char16_t LowerLatin(char16_t unit);
// The same mapping read from its ranges: the rules LowerLatin's tables are
// made from at start-up (tests/iso15919_test.cpp holds one to the other).
char16_t LowerLatinByRanges(char16_t unit);

// Lower-cases every unit of `text` in place with LowerLatin.
void LowerLatin(std::u16string& text);

}  // namespace tirmok
